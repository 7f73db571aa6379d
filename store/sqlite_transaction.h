#pragma once

#include "store/sqlite_database.h"

// BEGIN IMMEDIATE on construction; rolled back on destruction unless committed, so that an
// early return or an exception leaves the database as it was.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db) : db_(db) {
        begun_ = db_.Execute("BEGIN IMMEDIATE");
    }
    ~SqliteTransaction() {
        if (begun_ && !committed_) db_.Execute("ROLLBACK");
    }
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    bool Begun() const { return begun_; }
    bool Commit() {
        committed_ = begun_ && db_.Execute("COMMIT");
        return committed_;
    }

private:
    SqliteDatabase& db_;
    bool begun_ = false;
    bool committed_ = false;
};
