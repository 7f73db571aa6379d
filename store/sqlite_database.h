#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;

// One open SQLite database; closed when the object goes. Operations report failure by result,
// with the library's message kept for the caller's text.
class SqliteDatabase {
public:
    // Opens (and creates, when `create`) the file; none when it cannot be opened, `error` says why.
    static std::optional<SqliteDatabase> Open(const std::filesystem::path& path, bool create,
                                              std::string& error);

    // Runs one or more statements that return no rows.
    bool Execute(const char* sql);
    // The single integer a statement such as "PRAGMA user_version" returns; none on failure.
    std::optional<long long> QueryInteger(const char* sql);

    const std::string& LastError() const { return lastError_; }
    long long LastInsertId() const;
    sqlite3* Handle() const { return handle_.get(); }
    void NoteError();  // keeps the library's current message as LastError

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    explicit SqliteDatabase(sqlite3* db) : handle_(db) {}
    std::unique_ptr<sqlite3, Closer> handle_;
    std::string lastError_;
};
