#include "store/inventory_store.h"

#include <sys/stat.h>

#include "store/schema.h"
#include "store/sqlite_statement.h"
#include "store/sqlite_transaction.h"
#include "store/store_location.h"

namespace {

const char kScanColumns[] =
    "SELECT s.id, v.endpoint_url, s.started_ms, s.ended_ms, s.complete, s.point_count, "
    "s.sign_in, s.user_name FROM scans s JOIN servers v ON v.id = s.server_id ";

ScanSummary SummaryOf(const SqliteStatement& row) {
    ScanSummary scan;
    scan.id = row.Integer(0);
    scan.endpointUrl = std::string(row.Text(1));
    scan.facts.startedMs = row.Integer(2);
    scan.facts.endedMs = row.Integer(3);
    scan.facts.complete = row.Integer(4) != 0;
    scan.points = row.Integer(5);
    scan.facts.signIn = static_cast<int>(row.Integer(6));
    scan.facts.userName = std::string(row.Text(7));
    return scan;
}

}  // namespace

int InventorySchemaVersion() { return InventoryMigrations().back().to; }

InventoryStore::Opened InventoryStore::Open(const std::filesystem::path& path) {
    Opened opened;
    if (!PrepareInventoryFolder(path)) {
        opened.failure = StoreOpenFailure::CannotOpen;
        opened.detail = path.parent_path().string();
        return opened;
    }
    auto db = SqliteDatabase::Open(path, true, opened.detail);
    if (!db) {
        opened.failure = StoreOpenFailure::CannotOpen;
        return opened;
    }
    // The version is read before anything may write: a later program's file stays as it is.
    const auto version = db->QueryInteger("PRAGMA user_version");
    if (!version) {
        opened.failure = StoreOpenFailure::CannotOpen;
        opened.detail = db->LastError();
        return opened;
    }
    opened.foundVersion = static_cast<int>(*version);
    if (opened.foundVersion > InventorySchemaVersion()) {
        opened.failure = StoreOpenFailure::NewerVersion;
        return opened;
    }
    // WAL: a reader never waits for a writer, and a writer killed halfway leaves the last
    // committed state. NORMAL loses at most the last commits on power loss, never consistency.
    if (!db->Execute("PRAGMA journal_mode = WAL") || !db->Execute("PRAGMA synchronous = NORMAL") ||
        !db->Execute("PRAGMA foreign_keys = ON") ||
        // A scan of a million points fits in the cache, so its pages are written once.
        !db->Execute("PRAGMA cache_size = -131072")) {
        opened.failure = StoreOpenFailure::CannotOpen;
        opened.detail = db->LastError();
        return opened;
    }
    int found = 0;
    switch (Migrate(*db, InventoryMigrations(), found)) {
        case MigrationResult::Ready:
            break;
        case MigrationResult::Newer:  // another process upgraded it meanwhile
            opened.failure = StoreOpenFailure::NewerVersion;
            opened.foundVersion = found;
            return opened;
        case MigrationResult::Failed:
            opened.failure = StoreOpenFailure::MigrationFailed;
            opened.detail = db->LastError();
            return opened;
    }
    ::chmod(path.c_str(), 0600);
    opened.store.reset(new InventoryStore(std::move(*db)));
    return opened;
}

bool InventoryStore::LoadNames() {
    if (namesLoaded_) return true;
    SqliteStatement all(db_, "SELECT id, text FROM names");
    if (!all.Valid()) return false;
    while (all.Step()) nameIds_.emplace(std::string(all.Text(1)), all.Integer(0));
    if (!all.Done()) return false;
    namesLoaded_ = true;
    return true;
}

std::optional<long long> InventoryStore::ServerId(const ServerIdentity& server) {
    // What a scan learnt replaces what an earlier one knew; an anonymous unsecured scan knows
    // less and keeps the rest.
    SqliteStatement upsert(
        db_,
        "INSERT INTO servers (endpoint_url, application_uri, application_name, "
        "certificate_subject, certificate_fingerprint) VALUES (?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(endpoint_url) DO UPDATE SET "
        "application_uri = CASE WHEN ?2 = '' THEN application_uri ELSE ?2 END, "
        "application_name = CASE WHEN ?3 = '' THEN application_name ELSE ?3 END, "
        "certificate_subject = CASE WHEN ?4 = '' THEN certificate_subject ELSE ?4 END, "
        "certificate_fingerprint = CASE WHEN ?5 = '' THEN certificate_fingerprint ELSE ?5 END");
    upsert.Bind(1, server.endpointUrl);
    upsert.Bind(2, server.applicationUri);
    upsert.Bind(3, server.applicationName);
    upsert.Bind(4, server.certificateSubject);
    upsert.Bind(5, server.certificateFingerprint);
    if (!upsert.Valid() || !upsert.Run()) return std::nullopt;
    SqliteStatement find(db_, "SELECT id FROM servers WHERE endpoint_url = ?1");
    find.Bind(1, server.endpointUrl);
    if (!find.Valid() || !find.Step()) return std::nullopt;
    return find.Integer(0);
}

std::optional<long long> InventoryStore::RecordScan(const ServerIdentity& server,
                                                    const ScanFacts& facts,
                                                    std::span<const StoredPoint> points) {
    std::lock_guard lock(mutex_);
    if (!LoadNames()) return std::nullopt;
    SqliteTransaction transaction(db_);
    if (!transaction.Begun()) return std::nullopt;
    const auto serverId = ServerId(server);
    if (!serverId) return std::nullopt;

    SqliteStatement scan(db_,
                         "INSERT INTO scans (server_id, started_ms, ended_ms, complete, "
                         "point_count, sign_in, user_name) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    scan.Bind(1, *serverId);
    scan.Bind(2, facts.startedMs);
    scan.Bind(3, facts.endedMs);
    scan.Bind(4, facts.complete ? 1 : 0);
    scan.Bind(5, static_cast<long long>(points.size()));
    scan.Bind(6, facts.signIn);
    scan.Bind(7, facts.userName);
    if (!scan.Valid() || !scan.Run()) return std::nullopt;
    const long long scanId = db_.LastInsertId();

    // Names added here are known only once the transaction commits.
    std::vector<const std::string*> added;
    SqliteStatement addName(db_, "INSERT INTO names (text) VALUES (?1)");
    SqliteStatement addPoint(db_,
                             "INSERT INTO points (scan_id, node_id, path, display_name, "
                             "data_type, value_rank, user_access) VALUES (?1, ?2, ?3, ?4, ?5, "
                             "?6, ?7)");
    if (!addName.Valid() || !addPoint.Valid()) return std::nullopt;
    bool ok = true;
    auto forget = [&] {
        for (const std::string* text : added) nameIds_.erase(*text);
    };
    auto intern = [&](const std::string& text) -> long long {
        const auto [at, isNew] = nameIds_.try_emplace(text, 0);
        if (!isNew) return at->second;
        addName.Bind(1, text);
        if (!addName.Run()) ok = false;
        at->second = db_.LastInsertId();
        added.push_back(&at->first);
        return at->second;
    };
    for (const StoredPoint& point : points) {
        addPoint.Bind(1, scanId);
        addPoint.Bind(2, point.nodeId);
        addPoint.Bind(3, intern(point.path));
        addPoint.Bind(4, intern(point.displayName));
        addPoint.Bind(5, intern(point.dataType));
        addPoint.Bind(6, point.valueRank);
        addPoint.Bind(7, point.userAccess);
        if (!ok || !addPoint.Run()) {
            forget();
            return std::nullopt;
        }
    }
    if (!transaction.Commit()) {
        forget();
        return std::nullopt;
    }
    return scanId;
}

std::vector<ScanSummary> InventoryStore::Scans(const std::string& endpointUrl) {
    std::lock_guard lock(mutex_);
    std::vector<ScanSummary> scans;
    const std::string sql =
        std::string(kScanColumns) + "WHERE v.endpoint_url = ?1 ORDER BY s.started_ms, s.id";
    SqliteStatement query(db_, sql.c_str());
    query.Bind(1, endpointUrl);
    while (query.Valid() && query.Step()) scans.push_back(SummaryOf(query));
    return scans;
}

std::optional<ScanSummary> InventoryStore::Scan(long long id) {
    std::lock_guard lock(mutex_);
    const std::string sql = std::string(kScanColumns) + "WHERE s.id = ?1";
    SqliteStatement query(db_, sql.c_str());
    query.Bind(1, id);
    if (!query.Valid() || !query.Step()) return std::nullopt;
    return SummaryOf(query);
}

std::optional<std::vector<StoredPoint>> InventoryStore::Points(long long scanId) {
    std::lock_guard lock(mutex_);
    SqliteStatement count(db_, "SELECT point_count FROM scans WHERE id = ?1");
    count.Bind(1, scanId);
    if (!count.Valid() || !count.Step()) return std::nullopt;
    std::vector<StoredPoint> points;
    points.reserve(static_cast<std::size_t>(count.Integer(0)));
    SqliteStatement rows(db_,
                         "SELECT p.node_id, a.text, b.text, c.text, p.value_rank, p.user_access "
                         "FROM points p JOIN names a ON a.id = p.path "
                         "JOIN names b ON b.id = p.display_name JOIN names c ON c.id = p.data_type "
                         "WHERE p.scan_id = ?1 ORDER BY p.rowid");
    if (!rows.Valid()) return std::nullopt;
    rows.Bind(1, scanId);
    while (rows.Step()) {
        StoredPoint& point = points.emplace_back();
        point.nodeId = std::string(rows.Text(0));
        point.path = std::string(rows.Text(1));
        point.displayName = std::string(rows.Text(2));
        point.dataType = std::string(rows.Text(3));
        point.valueRank = static_cast<int>(rows.Integer(4));
        point.userAccess = static_cast<int>(rows.Integer(5));
    }
    if (!rows.Done()) return std::nullopt;
    return points;
}

std::vector<ServerIdentity> InventoryStore::Servers() {
    std::lock_guard lock(mutex_);
    std::vector<ServerIdentity> servers;
    SqliteStatement query(db_,
                          "SELECT endpoint_url, application_uri, application_name, "
                          "certificate_subject, certificate_fingerprint FROM servers "
                          "ORDER BY endpoint_url");
    while (query.Valid() && query.Step()) {
        servers.push_back({std::string(query.Text(0)), std::string(query.Text(1)),
                           std::string(query.Text(2)), std::string(query.Text(3)),
                           std::string(query.Text(4))});
    }
    return servers;
}

bool InventoryStore::RecordFindings(const std::string& endpointUrl, std::int64_t judgedMs,
                                    std::span<const StoredFinding> findings) {
    std::lock_guard lock(mutex_);
    SqliteTransaction transaction(db_);
    if (!transaction.Begun()) return false;
    ServerIdentity server;
    server.endpointUrl = endpointUrl;
    const auto serverId = ServerId(server);
    if (!serverId) return false;
    SqliteStatement judged(db_, "UPDATE servers SET findings_ms = ?2 WHERE id = ?1");
    judged.Bind(1, *serverId);
    judged.Bind(2, judgedMs);
    SqliteStatement clear(db_, "DELETE FROM findings WHERE server_id = ?1");
    clear.Bind(1, *serverId);
    if (!judged.Valid() || !judged.Run() || !clear.Valid() || !clear.Run()) return false;
    SqliteStatement add(db_,
                        "INSERT INTO findings (server_id, severity, kind, detail) "
                        "VALUES (?1, ?2, ?3, ?4)");
    if (!add.Valid()) return false;
    for (const StoredFinding& finding : findings) {
        add.Bind(1, *serverId);
        add.Bind(2, finding.severity);
        add.Bind(3, finding.kind);
        add.Bind(4, finding.detail);
        if (!add.Run()) return false;
    }
    return transaction.Commit();
}

std::optional<ServerFindings> InventoryStore::Findings(const std::string& endpointUrl) {
    std::lock_guard lock(mutex_);
    SqliteStatement server(db_, "SELECT id, findings_ms FROM servers WHERE endpoint_url = ?1");
    server.Bind(1, endpointUrl);
    if (!server.Valid() || !server.Step() || server.IsNull(1)) return std::nullopt;
    ServerFindings result;
    result.judgedMs = server.Integer(1);
    SqliteStatement rows(db_,
                         "SELECT severity, kind, detail FROM findings WHERE server_id = ?1 "
                         "ORDER BY severity DESC, rowid");
    rows.Bind(1, server.Integer(0));
    while (rows.Valid() && rows.Step()) {
        result.findings.push_back({static_cast<int>(rows.Integer(0)), std::string(rows.Text(1)),
                                   std::string(rows.Text(2))});
    }
    return result;
}

std::string InventoryStore::LastError() {
    std::lock_guard lock(mutex_);
    return db_.LastError();
}
