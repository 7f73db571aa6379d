#include "store/sqlite_statement.h"

#include <sqlite3.h>

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

SqliteStatement::SqliteStatement(SqliteDatabase& db, const char* sql) : db_(&db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db.Handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) !=
        SQLITE_OK) {
        db.NoteError();
    }
    statement_.reset(raw);
}

void SqliteStatement::Bind(int index, long long value) {
    sqlite3_bind_int64(statement_.get(), index, value);
}

void SqliteStatement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                      SQLITE_STATIC);
}

void SqliteStatement::BindNull(int index) { sqlite3_bind_null(statement_.get(), index); }

bool SqliteStatement::Step() {
    const int rc = sqlite3_step(statement_.get());
    done_ = rc == SQLITE_DONE;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) db_->NoteError();
    return rc == SQLITE_ROW;
}

bool SqliteStatement::Run() {
    Step();
    const bool ok = done_;
    Reset();
    return ok;
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
}

long long SqliteStatement::Integer(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

std::string_view SqliteStatement::Text(int column) const {
    const auto* text = sqlite3_column_text(statement_.get(), column);
    if (!text) return {};
    return {reinterpret_cast<const char*>(text),
            static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column))};
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL;
}
