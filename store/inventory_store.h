#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/sqlite_database.h"
#include "store/stored_scan.h"

// Why the history could not be opened.
enum class StoreOpenFailure {
    None,
    CannotOpen,    // the file or its folder cannot be made or opened, or is no database
    NewerVersion,  // written by a later version of the program: left as it is
    MigrationFailed,
};

// The scan history: servers, their scans and each scan's points. Its interface is all a caller
// sees of the database, so that another database may stand in for it. Safe to use from several
// threads; each call is one transaction.
class InventoryStore {
public:
    struct Opened;
    static Opened Open(const std::filesystem::path& path);

    // Stores one scan with all its points in one transaction; its id, or none when it failed
    // (then nothing of it is stored).
    std::optional<long long> RecordScan(const ServerIdentity& server, const ScanFacts& facts,
                                        std::span<const StoredPoint> points);
    // The scans of the server at `endpointUrl`, oldest first.
    std::vector<ScanSummary> Scans(const std::string& endpointUrl);
    std::optional<ScanSummary> Scan(long long id);
    // The points of a scan in the order they were stored; none when the scan is unknown.
    std::optional<std::vector<StoredPoint>> Points(long long scanId);

    // Every server the history knows, by URL, with what its scans learnt of it.
    std::vector<ServerIdentity> Servers();
    // Replaces what the history knows of the server's security by a discovery's judgement.
    bool RecordFindings(const std::string& endpointUrl, std::int64_t judgedMs,
                        std::span<const StoredFinding> findings);
    // The last judgement of the server's security; none when no discovery judged it.
    std::optional<ServerFindings> Findings(const std::string& endpointUrl);

    std::string LastError();

private:
    explicit InventoryStore(SqliteDatabase db) : db_(std::move(db)) {}
    bool LoadNames();
    std::optional<long long> ServerId(const ServerIdentity& server);

    std::mutex mutex_;
    SqliteDatabase db_;
    // Every text of `names` this process knows, loaded on the first write.
    std::unordered_map<std::string, long long> nameIds_;
    bool namesLoaded_ = false;
};

struct InventoryStore::Opened {
    std::unique_ptr<InventoryStore> store;
    StoreOpenFailure failure = StoreOpenFailure::None;
    int foundVersion = 0;  // the schema version the file had
    std::string detail;    // the library's message
};

// The schema version this program writes.
int InventorySchemaVersion();
