#include "store/schema.h"

#include "store/sqlite_transaction.h"

namespace {

// Texts that repeat (paths, display names, data types) are stored once in `names`. Its ids
// are never reused, so a writer may keep them in memory. Points keep their NodeId text inline:
// it differs from point to point.
const char kVersion1[] = R"sql(
CREATE TABLE servers (
    id INTEGER PRIMARY KEY,
    endpoint_url TEXT NOT NULL UNIQUE,
    application_uri TEXT NOT NULL DEFAULT '',
    application_name TEXT NOT NULL DEFAULT '',
    certificate_subject TEXT NOT NULL DEFAULT '',
    certificate_fingerprint TEXT NOT NULL DEFAULT ''
);
CREATE TABLE names (
    id INTEGER PRIMARY KEY,
    text TEXT NOT NULL
);
CREATE TABLE scans (
    id INTEGER PRIMARY KEY,
    server_id INTEGER NOT NULL REFERENCES servers(id),
    started_ms INTEGER NOT NULL,
    ended_ms INTEGER NOT NULL,
    complete INTEGER NOT NULL,
    point_count INTEGER NOT NULL,
    sign_in INTEGER NOT NULL,
    user_name TEXT NOT NULL DEFAULT ''
);
CREATE INDEX scans_by_server ON scans(server_id, started_ms);
CREATE TABLE points (
    scan_id INTEGER NOT NULL REFERENCES scans(id),
    node_id TEXT NOT NULL,
    path INTEGER NOT NULL,
    display_name INTEGER NOT NULL,
    data_type INTEGER NOT NULL,
    value_rank INTEGER NOT NULL,
    user_access INTEGER NOT NULL
);
CREATE INDEX points_by_scan ON points(scan_id);
)sql";

// What a discovery judged of each server's security; a server never judged has no time.
const char kVersion2[] = R"sql(
ALTER TABLE servers ADD COLUMN findings_ms INTEGER;
CREATE TABLE findings (
    server_id INTEGER NOT NULL REFERENCES servers(id),
    severity INTEGER NOT NULL,
    kind TEXT NOT NULL,
    detail TEXT NOT NULL DEFAULT ''
);
CREATE INDEX findings_by_server ON findings(server_id);
)sql";

const SchemaMigration kMigrations[] = {{1, kVersion1}, {2, kVersion2}};

}  // namespace

std::span<const SchemaMigration> InventoryMigrations() { return kMigrations; }

MigrationResult Migrate(SqliteDatabase& db, std::span<const SchemaMigration> steps, int& found) {
    const auto version = db.QueryInteger("PRAGMA user_version");
    if (!version) return MigrationResult::Failed;
    found = static_cast<int>(*version);
    const int latest = steps.empty() ? 0 : steps.back().to;
    if (found > latest) return MigrationResult::Newer;
    for (const SchemaMigration& step : steps) {
        if (step.to <= found) continue;
        SqliteTransaction transaction(db);
        if (!transaction.Begun()) return MigrationResult::Failed;
        // Read again inside the lock: another process may have migrated meanwhile.
        const auto now = db.QueryInteger("PRAGMA user_version");
        if (!now) return MigrationResult::Failed;
        if (*now >= step.to) continue;
        const std::string setVersion = "PRAGMA user_version = " + std::to_string(step.to);
        if (!db.Execute(step.sql) || !db.Execute(setVersion.c_str())) {
            return MigrationResult::Failed;
        }
        if (!transaction.Commit()) return MigrationResult::Failed;
    }
    return MigrationResult::Ready;
}
