#pragma once

#include <memory>
#include <string_view>

#include "store/sqlite_database.h"

struct sqlite3_stmt;

// One prepared statement, reused for many rows: bind, step, reset.
class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, const char* sql);

    bool Valid() const { return statement_ != nullptr; }
    // Parameters count from 1, as in SQL.
    void Bind(int index, long long value);
    void Bind(int index, std::string_view text);  // the text must live until the next Step
    void BindNull(int index);
    // True while a row is there; Done tells a finished statement from a failed one.
    bool Step();
    bool Done() const { return done_; }
    // Runs a statement that returns no row; true on success. Resets it for the next use.
    bool Run();
    void Reset();

    long long Integer(int column) const;
    std::string_view Text(int column) const;
    bool IsNull(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const;
    };
    SqliteDatabase* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
    bool done_ = false;
};
