#include <gtest/gtest.h>
#include <open62541/server.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/command_line.h"
#include "cli/discover_options.h"
#include "history/inventory_summary.h"
#include "store/inventory_store.h"
#include "store/store_location.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"
#include "texts/text_table.h"

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome Discover(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams io{in, out, err, [](const std::string&) { return std::optional<std::string>(); },
                  false};
    args.insert(args.begin(), "--discover");
    args.push_back("--lang");
    args.push_back("en");
    const int code = RunCommandLine(args, io);
    language = 0;
    return {code, out.str(), err.str()};
}

TEST(DiscoverCommand, BadArgumentsExit2WithTheReason) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--sweep", "10.1.2.0/33"}, "quorvane: not an address range: 10.1.2.0/33\n"},
        {{"--sweep", "10.0.0.0/8"},
         "quorvane: address range too wide (at most a /16): 10.0.0.0/8\n"},
        {{"--sweep", "10.1.2.9-10.1.2.1"},
         "quorvane: address range ends before it starts: 10.1.2.9-10.1.2.1\n"},
        {{"--sweep", "no-such-host.invalid"},
         "quorvane: host name does not resolve: no-such-host.invalid\n"},
        {{"--ports", "4840,70000"}, "quorvane: not a port list (like 4840,48010-48020): 70000\n"},
        {{"--probe-timeout", "10"}, "quorvane: --probe-timeout must be 50 to 60000 ms: 10\n"},
        {{"--probe-timeout=1s"}, "quorvane: --probe-timeout must be 50 to 60000 ms: 1s\n"},
        {{"--format", "xls"}, "quorvane: option not known with --discover: --format xls\n"},
        {{"--mdns=yes"}, "quorvane: option not known with --discover: --mdns=yes\n"},
        {{"--policy", "None"}, "quorvane: option not known with --discover: --policy\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = Discover(c.args);
        EXPECT_EQ(run.code, kCliBadArguments) << c.args.front();
        EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.message);
        EXPECT_NE(run.err.find("quorvane --discover [--sweep RANGE]"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams io{in, out, err, [](const std::string&) { return std::optional<std::string>(); },
                  false};
    // A value-less option at the very end (Discover() would put the language after it).
    EXPECT_EQ(RunCommandLine({"--discover", "--lang", "en", "--url"}, io), kCliBadArguments);
    EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "quorvane: option needs a value: --url");
    language = 0;
}

TEST(DiscoverCommand, WithoutSourcesAsksTheLocalDiscoveryServerAndMdns) {
    const DiscoverParse parse = ParseDiscoverOptions({"--discover"});
    ASSERT_TRUE(parse.options);
    EXPECT_EQ(parse.options->request.ldsUrls, (std::vector<std::string>{kLocalDiscoveryUrl}));
    EXPECT_TRUE(parse.options->request.mdns);
    const DiscoverParse given = ParseDiscoverOptions(
        {"--discover", "--sweep=127.0.0.1-127.0.0.3", "--sweep", "::1", "--ports", "1,2"});
    ASSERT_TRUE(given.options);
    EXPECT_TRUE(given.options->request.ldsUrls.empty());
    EXPECT_FALSE(given.options->request.mdns);
    EXPECT_EQ(given.options->request.hosts.size(), 4u);
    EXPECT_EQ(given.options->request.ports, (std::vector<std::uint16_t>{1, 2}));
}

TEST(DiscoverCommand, PrintsOneRowPerEndpointAndJsonPerServer) {
    const auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    const std::string port = std::to_string(server->Port());
    const std::uint16_t closed = FreeLoopbackPort();
    const Outcome csv = Discover({"--sweep", "127.0.0.1", "--ports",
                                  port + "," + std::to_string(closed), "--probe-timeout", "500"});
    EXPECT_EQ(csv.code, kCliDone) << csv.err;
    std::istringstream lines(csv.out);
    std::string header, row, extra;
    std::getline(lines, header);
    std::getline(lines, row);
    EXPECT_FALSE(std::getline(lines, extra)) << "one endpoint, one row; a closed port is no row";
    EXPECT_EQ(header.rfind("Server,ApplicationUri,", 0), 0u);
    EXPECT_NE(row.find(server->Url() + ",sweep,"), std::string::npos) << row;
    EXPECT_NE(row.find("[high] no secure endpoint at all"), std::string::npos) << row;
    EXPECT_EQ(csv.err,
              "1 servers: 1 without security, 1 allow anonymous, 0 share one certificate\n");

    const Outcome json = Discover({"--url", server->Url(), "--format", "json"});
    EXPECT_EQ(json.code, kCliDone);
    EXPECT_EQ(json.out.rfind("{\"summary\":", 0), 0u);
    EXPECT_NE(json.out.find("\"servers\":[{\"applicationName\":"), std::string::npos);
    EXPECT_NE(json.out.find("\"kind\":\"noSecureEndpoint\""), std::string::npos);
    EXPECT_EQ(UA_Server_getStatistics(server->Server()).ss.cumulatedSessionCount, 0u);
}

// A weak server's findings go into the history, under the URL its scans are stored by, and the
// inventory lists them beside its scans; --no-history leaves the history alone.
TEST(DiscoverCommand, RecordsTheFindingsInTheHistoryUnlessAskedNot) {
    UseFreshHome();
    DemoServerOptions weak;
    weak.secure = true;  // and None beside it
    weak.keyBits = 1024;
    const auto server = StartDemoServer(weak);
    ASSERT_NE(server, nullptr);

    const Outcome quiet = Discover({"--url", server->Url(), "--no-history"});
    ASSERT_EQ(quiet.code, kCliDone) << quiet.err;
    EXPECT_FALSE(std::filesystem::exists(DefaultInventoryPath())) << "nothing stored";

    const Outcome json = Discover({"--url", server->Url(), "--format", "json"});
    ASSERT_EQ(json.code, kCliDone) << json.err;
    auto opened = InventoryStore::Open(DefaultInventoryPath());
    ASSERT_TRUE(opened.store);
    const auto findings = opened.store->Findings(server->Url());
    ASSERT_TRUE(findings);
    EXPECT_GT(findings->judgedMs, 0);
    std::size_t inReport = 0;
    for (std::size_t at = json.out.find("\"kind\":"); at != std::string::npos;
         at = json.out.find("\"kind\":", at + 1))
        ++inReport;
    EXPECT_EQ(findings->findings.size(), inReport) << "every finding the report names";
    for (const char* kind : {"weakRsaKey", "noneBesideSecure", "anonymousOffered"}) {
        EXPECT_TRUE(std::any_of(findings->findings.begin(), findings->findings.end(),
                                [&](const StoredFinding& f) { return f.kind == kind; }))
            << kind;
        EXPECT_NE(json.out.find(std::string("\"kind\":\"") + kind + "\""), std::string::npos);
    }

    const std::vector<InventoryEntry> inventory = LoadInventory(*opened.store);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory[0].server.endpointUrl, server->Url());
    const std::string lines = InventoryFindingLines(inventory[0]);
    EXPECT_NE(lines.find("weakRsaKey"), std::string::npos) << lines;
    EXPECT_EQ(static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n')) + 1,
              findings->findings.size())
        << lines;
}

TEST(DiscoverCommand, NothingFoundStillCompletes) {
    const Outcome run = Discover({"--sweep", "127.0.0.1", "--ports",
                                  std::to_string(FreeLoopbackPort()), "--format", "json"});
    EXPECT_EQ(run.code, kCliDone);
    EXPECT_NE(run.out.find("\"servers\":[]"), std::string::npos);
}

TEST(DiscoverCommand, ExportsToAFileAndReportsAFailedWrite) {
    const auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    const auto dir = std::filesystem::temp_directory_path() /
                     ("quorvane-discover-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "servers.json").string();
    const Outcome run = Discover({"--url", server->Url(), "--export", file});
    EXPECT_EQ(run.code, kCliDone) << run.err;
    EXPECT_EQ(run.out,
              "1 servers: 1 without security, 1 allow anonymous, 0 share one certificate\n");
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text.rfind("{\"summary\":", 0), 0u);

    const Outcome failed =
        Discover({"--url", server->Url(), "--export", (dir / "no/such.csv").string()});
    EXPECT_EQ(failed.code, kCliExportFailed);
    std::filesystem::remove_all(dir);
}

}  // namespace
