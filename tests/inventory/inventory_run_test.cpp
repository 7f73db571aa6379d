// Whole inventories in this process against demo servers: exit codes, output, what is stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/command_line.h"
#include "store/inventory_store.h"
#include "store/store_location.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"
#include "tools/relay/delay_relay.h"

namespace {

namespace fs = std::filesystem;

class Inventory : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("quorvane-inventory-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        DemoServerOptions options;
        options.points = 300;
        good = StartDemoServer(options);
        ASSERT_TRUE(good);
    }
    void TearDown() override {
        fs::remove_all(dir);
        language = 0;
    }

    int Run(const std::string& inventory, std::vector<std::string> extra = {}) {
        const fs::path file = dir / "plant.txt";
        std::ofstream(file) << inventory;
        std::vector<std::string> args = {"--inventory", file.string(), "--lang", "en"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::istringstream in;
        out.str({});
        err.str({});
        CliStreams io{in, out, err,
                      [](const std::string& name) -> std::optional<std::string> {
                          if (name == "PW") return "secret";
                          return std::nullopt;
                      },
                      false};
        return RunCommandLine(args, io);
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::unique_ptr<DemoServer> good;
    std::ostringstream out, err;
};

TEST_F(Inventory, TheWorstOutcomeDecidesTheExitCode) {
    DemoServerOptions secure;
    secure.secure = true;
    secure.users = {{"operator", "secret"}};
    auto untrusted = StartUntrustedDemoServer(secure);
    ASSERT_TRUE(untrusted);
    const std::string goodLine = good->Url() + "\n";
    const std::string untrustedLine =
        untrusted->Url() +
        " --user operator --password-env PW --policy Basic256Sha256 --mode SignAndEncrypt\n";
    const std::string unreachableLine = "opc.tcp://127.0.0.1:1 --timeout 5\n";

    EXPECT_EQ(Run(goodLine + untrustedLine), kCliUntrusted);
    EXPECT_NE(err.str().find(untrusted->Url() + ": server certificate not trusted, skipped"),
              std::string::npos)
        << err.str();
    const std::string e = err.str();
    const auto goodLine0 = e.find(good->Url() + ": ");
    ASSERT_NE(goodLine0, std::string::npos) << e;
    EXPECT_NE(e.substr(goodLine0, e.find('\n', goodLine0) - goodLine0).find(" points, "),
              std::string::npos)
        << e;

    EXPECT_EQ(Run(goodLine + untrustedLine + unreachableLine, {"--jobs", "2"}), kCliConnectionLost);
    EXPECT_NE(err.str().find("opc.tcp://127.0.0.1:1: "), std::string::npos) << err.str();
    // The good server was scanned all three times and each scan stored.
    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_TRUE(opened.store);
    EXPECT_EQ(opened.store->Scans(good->Url()).size(), 2u);
    EXPECT_TRUE(opened.store->Scans(untrusted->Url()).empty()) << "nothing of it was stored";
    EXPECT_EQ(Run(goodLine), kCliDone);
    EXPECT_NE(err.str().find("since last scan: 0 added, 0 removed, 0 changed"), std::string::npos)
        << err.str();
    EXPECT_EQ(opened.store->Scans(good->Url()).size(), 3u);
}

TEST_F(Inventory, OneTableWithAServerColumnOrOneFilePerServer) {
    DemoServerOptions options;
    options.points = 120;
    auto second = StartDemoServer(options);
    ASSERT_TRUE(second);
    const std::string lines = good->Url() + "\n" + second->Url() + "\n";
    const fs::path table = dir / "all.csv";
    ASSERT_EQ(Run(lines, {"--export", table.string(), "--no-history"}), kCliDone) << err.str();
    std::istringstream rows(Read(table));
    std::string header, row;
    std::getline(rows, header);
    EXPECT_EQ(header,
              "\xEF\xBB\xBFServer,NodeId,Path,DisplayName,DataType,ValueRank,"
              "UserAccessLevel\r");
    std::size_t fromGood = 0, fromSecond = 0;
    while (std::getline(rows, row)) {
        if (row.rfind(good->Url() + ",", 0) == 0) ++fromGood;
        if (row.rfind(second->Url() + ",", 0) == 0) ++fromSecond;
    }
    EXPECT_GE(fromGood, 300u);
    EXPECT_GE(fromSecond, 120u);
    EXPECT_EQ(fromGood - fromSecond, 180u);
    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_TRUE(opened.store);
    EXPECT_TRUE(opened.store->Scans(second->Url()).empty()) << "--no-history";

    const fs::path folder = dir / "each";
    ASSERT_EQ(Run(lines, {"--export", folder.string() + "/", "--format", "json"}), kCliDone);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".json");
        EXPECT_EQ(Read(entry.path()).rfind("[\n{\"server\":\"opc.tcp://127.0.0.1:", 0), 0u);
    }
    EXPECT_EQ(files, 2u);
}

// An endpoint list changed on the way is a server not to be trusted, as for the export command:
// skipped with the reason, nothing stored, and the run ends 5 although the rest was scanned.
TEST_F(Inventory, AnEndpointListChangedOnTheWayCountsAsUntrusted) {
    DemoServerOptions secure;
    secure.secure = true;
    secure.users = {{"operator", "secret"}};
    auto server = StartDemoServer(secure);
    ASSERT_TRUE(server);
    DelayRelay relay("127.0.0.1", server->Port(), std::chrono::microseconds(0));
    ASSERT_TRUE(relay.Start());
    EndpointRewrite rewrite;
    rewrite.dropSecure = true;
    rewrite.firstConnectionOnly = true;
    relay.RewriteEndpoints(rewrite);
    const std::string rewritten = relay.Url() +
                                  " --user operator --password-env PW --allow-plain-password"
                                  " --timeout 5\n";
    EXPECT_EQ(Run(good->Url() + "\n" + rewritten, {"--jobs", "2"}), kCliUntrusted) << err.str();
    EXPECT_NE(err.str().find(relay.Url() + ": "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("the endpoint list was changed on the way"), std::string::npos)
        << err.str();
    EXPECT_GE(relay.RewrittenResponses(), 1u);
    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_TRUE(opened.store);
    EXPECT_TRUE(opened.store->Scans(relay.Url()).empty());
    EXPECT_FALSE(opened.store->Scans(good->Url()).empty());
}

TEST_F(Inventory, BadInputExitsTwoWithTheLineNumber) {
    EXPECT_EQ(Run(good->Url() + "\n# fine\nopc.tcp://x:1 --user op\n"), kCliBadArguments);
    EXPECT_NE(err.str().find("plant.txt line 3: "), std::string::npos) << err.str();
    EXPECT_EQ(Run("opc.tcp://x:1 --user op --password-env NOT_SET\n"), kCliBadArguments);
    EXPECT_NE(err.str().find("line 1: "), std::string::npos) << err.str();
    std::istringstream in;
    CliStreams io{in, out, err, [](const std::string&) { return std::nullopt; }, false};
    EXPECT_EQ(RunCommandLine({"--inventory", (dir / "missing.txt").string()}, io),
              kCliBadArguments);
}

}  // namespace

namespace {

TEST_F(Inventory, AnExportScanIsRecordedUnlessAskedNot) {
    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_TRUE(opened.store);
    const std::size_t before = opened.store->Scans(good->Url()).size();
    std::istringstream in;
    CliStreams io{in, out, err, [](const std::string&) { return std::nullopt; }, false};
    const std::string file = (dir / "one.csv").string();
    ASSERT_EQ(RunCommandLine({"--export", file, "--url", good->Url()}, io), kCliDone);
    const auto scans = opened.store->Scans(good->Url());
    ASSERT_EQ(scans.size(), before + 1);
    EXPECT_TRUE(scans.back().facts.complete);
    EXPECT_EQ(scans.back().facts.signIn, 1);
    EXPECT_GT(scans.back().points, 300);
    ASSERT_EQ(RunCommandLine({"--export", file, "--url", good->Url(), "--no-history"}, io),
              kCliDone);
    EXPECT_EQ(opened.store->Scans(good->Url()).size(), before + 1);
}

}  // namespace
