#include "store/sqlite_database.h"

#include <sqlite3.h>

void SqliteDatabase::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

std::optional<SqliteDatabase> SqliteDatabase::Open(const std::filesystem::path& path, bool create,
                                                   std::string& error) {
    sqlite3* raw = nullptr;
    const int flags =
        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteDatabase db(raw);  // owns the handle even when opening failed
    if (rc != SQLITE_OK) {
        error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        return std::nullopt;
    }
    // Another process (a second scan) may hold the write lock for a moment.
    sqlite3_busy_timeout(raw, 10000);
    return db;
}

bool SqliteDatabase::Execute(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(handle_.get(), sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        lastError_ = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        return false;
    }
    return true;
}

std::optional<long long> SqliteDatabase::QueryInteger(const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
        NoteError();
        return std::nullopt;
    }
    std::optional<long long> value;
    if (sqlite3_step(raw) == SQLITE_ROW) {
        value = sqlite3_column_int64(raw, 0);
    } else {
        NoteError();
    }
    sqlite3_finalize(raw);
    return value;
}

long long SqliteDatabase::LastInsertId() const { return sqlite3_last_insert_rowid(handle_.get()); }

void SqliteDatabase::NoteError() { lastError_ = sqlite3_errmsg(handle_.get()); }
