#pragma once

#include <span>
#include <string>

#include "store/sqlite_database.h"

// One step of the schema: from version `to` - 1 to `to`.
struct SchemaMigration {
    int to;
    const char* sql;
};

// The steps this program knows, in order; the last one's `to` is the version it writes.
std::span<const SchemaMigration> InventoryMigrations();

enum class MigrationResult { Ready, Newer, Failed };

// Brings the database to the last of `steps`, each step in a transaction of its own with its
// version. A database of a later version than the steps know is left untouched (Newer). `found`
// is the version the database had.
MigrationResult Migrate(SqliteDatabase& db, std::span<const SchemaMigration> steps, int& found);
