// The scan history on disk: what goes in comes back, versions and migrations, a writer killed
// halfway.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "store/inventory_store.h"
#include "store/schema.h"
#include "store/sqlite_statement.h"

namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("quorvane-store-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        path_ = dir_ / "quorvane" / "inventory.sqlite";
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
    fs::path path_;
};

std::vector<StoredPoint> MakePoints(std::size_t count, const std::string& prefix = "Tag") {
    std::vector<StoredPoint> points;
    for (std::size_t i = 0; i < count; ++i) {
        points.push_back({"ns=2;i=" + std::to_string(i + 1), "Plant/Line" + std::to_string(i % 3),
                          prefix + std::to_string(i), i % 2 ? "Double" : "Int32",
                          i % 5 == 0 ? 0 : -1, i % 4 == 0 ? -1 : 3});
    }
    return points;
}

ServerIdentity Server(const std::string& url) { return {url, "urn:demo", "Demo", "", ""}; }

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool SamePoint(const StoredPoint& a, const StoredPoint& b) {
    return a.nodeId == b.nodeId && a.path == b.path && a.displayName == b.displayName &&
           a.dataType == b.dataType && a.valueRank == b.valueRank && a.userAccess == b.userAccess;
}

TEST_F(StoreTest, ScansComeBackAsStoredInAPrivateFolder) {
    auto opened = InventoryStore::Open(path_);
    ASSERT_TRUE(opened.store) << opened.detail;
    EXPECT_EQ(fs::status(path_.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    const auto points = MakePoints(200);
    ScanFacts facts{1000, 4500, true, 2, "operator"};
    const auto first = opened.store->RecordScan(Server("opc.tcp://a:4840"), facts, points);
    ASSERT_TRUE(first);
    ScanFacts cut{5000, 6000, false, 1, ""};
    const auto second =
        opened.store->RecordScan(Server("opc.tcp://a:4840"), cut, std::span(points).first(50));
    ASSERT_TRUE(second);
    ASSERT_TRUE(opened.store->RecordScan(Server("opc.tcp://b:4840"), facts, points));

    const auto scans = opened.store->Scans("opc.tcp://a:4840");
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[0].id, *first);
    EXPECT_TRUE(scans[0].facts.complete);
    EXPECT_EQ(scans[0].points, 200);
    EXPECT_EQ(scans[0].facts.signIn, 2);
    EXPECT_EQ(scans[0].facts.userName, "operator");
    EXPECT_EQ(scans[0].facts.endedMs - scans[0].facts.startedMs, 3500);
    EXPECT_FALSE(scans[1].facts.complete);  // cut short: stored, and marked
    EXPECT_EQ(scans[1].points, 50);
    EXPECT_TRUE(opened.store->Scans("opc.tcp://c:4840").empty());

    // Reopened, as the next run would.
    opened.store.reset();
    auto again = InventoryStore::Open(path_);
    ASSERT_TRUE(again.store);
    const auto back = again.store->Points(*first);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_TRUE(SamePoint((*back)[i], points[i])) << i;
    EXPECT_FALSE(again.store->Points(9999));
    // New names after a reopen get ids of their own, old ones keep theirs.
    const auto other = MakePoints(10, "Other");
    const auto third = again.store->RecordScan(Server("opc.tcp://a:4840"), facts, other);
    ASSERT_TRUE(third);
    const auto otherBack = again.store->Points(*third);
    ASSERT_TRUE(otherBack);
    for (std::size_t i = 0; i < other.size(); ++i)
        EXPECT_TRUE(SamePoint((*otherBack)[i], other[i]));
}

TEST_F(StoreTest, AnEmptyFileBecomesTheCurrentVersionAndAVersionOneFileIsKept) {
    {
        auto opened = InventoryStore::Open(path_);
        ASSERT_TRUE(opened.store);
        EXPECT_EQ(opened.foundVersion, 0);
        ASSERT_TRUE(opened.store->RecordScan(Server("opc.tcp://a:4840"), {}, MakePoints(5)));
    }
    auto reopened = InventoryStore::Open(path_);
    ASSERT_TRUE(reopened.store);
    EXPECT_EQ(reopened.foundVersion, 2);
    EXPECT_EQ(InventorySchemaVersion(), 2);
    EXPECT_EQ(reopened.store->Scans("opc.tcp://a:4840").size(), 1u);
}

TEST_F(StoreTest, AVersionOneFileGainsFindingsAndKeepsItsScans) {
    fs::create_directories(path_.parent_path());
    {
        std::string error;
        auto db = SqliteDatabase::Open(path_, true, error);
        ASSERT_TRUE(db) << error;
        int found = -1;
        ASSERT_EQ(Migrate(*db, InventoryMigrations().first(1), found), MigrationResult::Ready);
        ASSERT_TRUE(db->Execute(
            "INSERT INTO servers (endpoint_url) VALUES ('opc.tcp://old:4840');"
            "INSERT INTO scans (server_id, started_ms, ended_ms, complete, point_count, sign_in) "
            "VALUES (1, 10, 20, 1, 0, 1)"));
    }
    auto opened = InventoryStore::Open(path_);
    ASSERT_TRUE(opened.store);
    EXPECT_EQ(opened.foundVersion, 1);
    EXPECT_EQ(opened.store->Scans("opc.tcp://old:4840").size(), 1u);
    EXPECT_FALSE(opened.store->Findings("opc.tcp://old:4840")) << "never judged";
}

TEST_F(StoreTest, ServersAndTheirFindingsComeBackAndAJudgementReplacesTheLast) {
    auto opened = InventoryStore::Open(path_);
    ASSERT_TRUE(opened.store);
    InventoryStore& store = *opened.store;
    ServerIdentity secured{"opc.tcp://b:4840", "urn:b", "", "CN=b", "AA:BB"};
    ASSERT_TRUE(store.RecordScan(secured, {}, MakePoints(2)));
    ASSERT_TRUE(store.RecordScan(Server("opc.tcp://a:4840"), {}, MakePoints(1)));
    // A later scan that met no certificate keeps what the earlier one learnt.
    ASSERT_TRUE(store.RecordScan({"opc.tcp://b:4840", "", "", "", ""}, {}, MakePoints(1)));

    const std::vector<StoredFinding> first = {{1, "anonymousOffered", ""},
                                              {3, "noSecureEndpoint", ""},
                                              {2, "deprecatedPolicy", "Basic256"}};
    ASSERT_TRUE(store.RecordFindings("opc.tcp://b:4840", 500, first));
    // A server only a discovery knows of is listed too.
    ASSERT_TRUE(store.RecordFindings("opc.tcp://c:4840", 600, std::vector<StoredFinding>{}));

    const auto servers = store.Servers();
    ASSERT_EQ(servers.size(), 3u);
    EXPECT_EQ(servers[0].endpointUrl, "opc.tcp://a:4840");
    EXPECT_EQ(servers[1].endpointUrl, "opc.tcp://b:4840");
    EXPECT_EQ(servers[1].certificateFingerprint, "AA:BB");
    EXPECT_EQ(servers[1].certificateSubject, "CN=b");
    EXPECT_EQ(servers[2].endpointUrl, "opc.tcp://c:4840");

    EXPECT_FALSE(store.Findings("opc.tcp://a:4840"));
    EXPECT_FALSE(store.Findings("opc.tcp://unknown:1"));
    const auto judged = store.Findings("opc.tcp://b:4840");
    ASSERT_TRUE(judged);
    EXPECT_EQ(judged->judgedMs, 500);
    ASSERT_EQ(judged->findings.size(), 3u);  // worst first
    EXPECT_EQ(judged->findings[0].kind, "noSecureEndpoint");
    EXPECT_EQ(judged->findings[1].detail, "Basic256");
    EXPECT_EQ(judged->findings[2].severity, 1);
    const auto clean = store.Findings("opc.tcp://c:4840");
    ASSERT_TRUE(clean);
    EXPECT_TRUE(clean->findings.empty());

    ASSERT_TRUE(store.RecordFindings("opc.tcp://b:4840", 900,
                                     std::vector<StoredFinding>{{2, "plainPassword", ""}}));
    const auto again = store.Findings("opc.tcp://b:4840");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->judgedMs, 900);
    ASSERT_EQ(again->findings.size(), 1u);
    EXPECT_EQ(again->findings[0].kind, "plainPassword");
}

TEST_F(StoreTest, MigrationsRunInOrderAndAFailedStepKeepsTheVersionBefore) {
    fs::create_directories(path_.parent_path());
    std::string error;
    auto db = SqliteDatabase::Open(path_, true, error);
    ASSERT_TRUE(db) << error;
    int found = -1;
    ASSERT_EQ(Migrate(*db, InventoryMigrations(), found), MigrationResult::Ready);
    EXPECT_EQ(found, 0);
    ASSERT_TRUE(db->Execute("INSERT INTO names (text) VALUES ('kept')"));

    // A later version adds a column: the data of this one stays and gets the default.
    const auto ours = InventoryMigrations();
    const int now = InventorySchemaVersion();
    std::vector<SchemaMigration> later(ours.begin(), ours.end());
    later.push_back({now + 1, "ALTER TABLE names ADD COLUMN note TEXT DEFAULT 'next'"});
    ASSERT_EQ(Migrate(*db, later, found), MigrationResult::Ready);
    EXPECT_EQ(found, now);
    EXPECT_EQ(db->QueryInteger("PRAGMA user_version"), now + 1);
    EXPECT_EQ(db->QueryInteger("SELECT count(*) FROM names WHERE text = 'kept' AND note = 'next'"),
              1);

    // A broken step changes nothing: neither its version nor the part before its error.
    std::vector<SchemaMigration> broken = later;
    broken.push_back(
        {now + 2, "CREATE TABLE extra (x INTEGER); INSERT INTO no_such_table VALUES (1)"});
    EXPECT_EQ(Migrate(*db, broken, found), MigrationResult::Failed);
    EXPECT_EQ(db->QueryInteger("PRAGMA user_version"), now + 1);
    EXPECT_EQ(db->QueryInteger("SELECT count(*) FROM sqlite_master WHERE name = 'extra'"), 0);
    // This program's own steps now meet a newer file.
    EXPECT_EQ(Migrate(*db, InventoryMigrations(), found), MigrationResult::Newer);
    EXPECT_EQ(found, now + 1);
}

TEST_F(StoreTest, ANewerFileIsRefusedAndLeftAsItWas) {
    {
        auto opened = InventoryStore::Open(path_);
        ASSERT_TRUE(opened.store);
        ASSERT_TRUE(opened.store->RecordScan(Server("opc.tcp://a:4840"), {}, MakePoints(5)));
    }
    {
        std::string error;
        auto db = SqliteDatabase::Open(path_, false, error);
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->Execute("PRAGMA user_version = 7"));
        ASSERT_TRUE(db->Execute("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    const std::string before = Bytes(path_);
    auto opened = InventoryStore::Open(path_);
    EXPECT_FALSE(opened.store);
    EXPECT_EQ(opened.failure, StoreOpenFailure::NewerVersion);
    EXPECT_EQ(opened.foundVersion, 7);
    EXPECT_EQ(Bytes(path_), before);
}

TEST_F(StoreTest, AFileThatIsNoDatabaseIsRefused) {
    fs::create_directories(path_.parent_path());
    std::ofstream(path_) << "this is not a database, only some text that goes on for a while";
    const std::string before = Bytes(path_);
    auto opened = InventoryStore::Open(path_);
    EXPECT_FALSE(opened.store);
    EXPECT_EQ(opened.failure, StoreOpenFailure::CannotOpen);
    EXPECT_FALSE(opened.detail.empty());
    EXPECT_EQ(Bytes(path_), before);
}

TEST_F(StoreTest, AWriterKilledHalfwayLeavesTheEarlierScansIntact) {
    const auto earlier = MakePoints(1000);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        auto opened = InventoryStore::Open(path_);
        if (!opened.store ||
            !opened.store->RecordScan(Server("opc.tcp://a:4840"), {1, 2, true, 1, ""}, earlier))
            ::_exit(1);
        // Far more than can be written before the kill arrives.
        const auto many = MakePoints(3'000'000, "Later");
        const char go = 'g';
        if (::write(ready[1], &go, 1) != 1) ::_exit(1);
        while (true)
            opened.store->RecordScan(Server("opc.tcp://a:4840"), {3, 4, true, 1, ""}, many);
    }
    ::close(ready[1]);
    char go = 0;
    ASSERT_EQ(::read(ready[0], &go, 1), 1);
    ::close(ready[0]);
    // Let it get well into the second transaction.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(fs::exists(fs::path(path_.string() + "-wal")));

    auto opened = InventoryStore::Open(path_);
    ASSERT_TRUE(opened.store) << opened.detail;
    const auto scans = opened.store->Scans("opc.tcp://a:4840");
    ASSERT_EQ(scans.size(), 1u);  // the second was under way, never committed
    const auto points = opened.store->Points(scans[0].id);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), earlier.size());
    EXPECT_TRUE(SamePoint(points->back(), earlier.back()));
    // Whatever else is there was committed whole.
    for (const auto& scan : scans) EXPECT_EQ(opened.store->Points(scan.id)->size(), scan.points);
    std::string error;
    auto db = SqliteDatabase::Open(path_, false, error);
    ASSERT_TRUE(db);
    SqliteStatement check(*db, "PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text(0), "ok");
}

}  // namespace
