// --history and --diff over a history seeded here, and the arguments they take.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "cli/inventory/history_options.h"
#include "store/inventory_store.h"
#include "store/store_location.h"
#include "texts/text_table.h"

namespace {

class HistoryCommand : public ::testing::Test {
protected:
    void SetUp() override {
        url = std::string("opc.tcp://seeded-") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ":4840";
        auto opened = InventoryStore::Open(DefaultInventoryPath());
        ASSERT_TRUE(opened.store);
        store = std::move(opened.store);
    }
    void TearDown() override { language = 0; }

    long long Record(std::vector<StoredPoint> points, std::int64_t startedMs,
                     bool complete = true) {
        ScanFacts facts{startedMs, startedMs + 1000, complete, 1, ""};
        return *store->RecordScan({url, "", "", "", ""}, facts, points);
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--url", url, "--lang", "en"});
        std::istringstream in;
        out.str({});
        err.str({});
        CliStreams io{in, out, err, [](const std::string&) { return std::nullopt; }, false};
        return RunCommandLine(args, io);
    }

    std::string url;
    std::unique_ptr<InventoryStore> store;
    std::ostringstream out, err;
};

const StoredPoint kA{"ns=2;i=1", "Plant", "A", "Int32", -1, 1};
const StoredPoint kB{"ns=2;i=2", "Plant", "B", "Double", -1, 3};
const StoredPoint kBRetyped{"ns=2;i=2", "Plant", "B", "Float", -1, 3};
const StoredPoint kC{"ns=2;s=C", "Plant", "C", "String", 0, 1};
constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kJan1 = 1'798'761'600'000;  // 2027-01-01 00:00 UTC

TEST_F(HistoryCommand, DiffExitsAsDiffDoes) {
    EXPECT_EQ(Run({"--diff"}), 2) << "nothing stored yet";
    EXPECT_NE(err.str().find(Text(TextKey::StoreNoScans, 1)), std::string::npos) << err.str();
    const long long first = Record({kA, kB}, kJan1);
    EXPECT_EQ(Run({"--diff"}), 2) << "one scan is not two";
    const long long second = Record({kA, kB}, kJan1 + kDay);
    EXPECT_EQ(Run({"--diff"}), 0);
    EXPECT_EQ(out.str(), "");
    const long long third = Record({kA, kBRetyped, kC}, kJan1 + 2 * kDay);
    EXPECT_EQ(Run({"--diff"}), 1);
    EXPECT_EQ(out.str(),
              "changed: data type\tns=2;i=2\tPlant\tB\tDouble → Float\n"
              "added\tns=2;s=C\tPlant\tC\n");
    EXPECT_EQ(Run({"--diff", "--scans", std::to_string(first), std::to_string(second)}), 0);
    EXPECT_EQ(Run({"--diff", "--scans", std::to_string(third), std::to_string(first)}), 1);
    EXPECT_NE(out.str().find("removed\tns=2;s=C"), std::string::npos) << out.str();
    EXPECT_EQ(Run({"--diff", "--scans", std::to_string(first), "999999"}), 2);
    EXPECT_NE(err.str().find("999999"), std::string::npos);

    // A cut-short scan is no base unless named, and then with a note.
    const long long cut = Record({kA}, kJan1 + 3 * kDay, false);
    EXPECT_EQ(Run({"--diff"}), 1) << "still the last two complete scans";
    EXPECT_EQ(Run({"--diff", "--scans", std::to_string(cut), std::to_string(third)}), 1);
    EXPECT_NE(err.str().find("cut short"), std::string::npos) << err.str();
}

TEST_F(HistoryCommand, SinceTakesTheLastScanBeforeTheDate) {
    Record({kA}, kJan1);
    Record({kA, kB}, kJan1 + 10 * kDay);
    Record({kA, kB}, kJan1 + 20 * kDay);
    // 2027-01-05 in any time zone lies between the first two scans.
    EXPECT_EQ(Run({"--diff", "--since", "2027-01-05"}), 1);
    EXPECT_EQ(out.str(), "added\tns=2;i=2\tPlant\tB\n");
    EXPECT_EQ(Run({"--diff", "--since", "2027-01-15 12:00"}), 0);
    EXPECT_EQ(Run({"--diff", "--since", "2026-06-01"}), 2) << "nothing that early";
    EXPECT_EQ(Run({"--diff", "--since", "2027-02-30"}), 2);
    EXPECT_NE(err.str().find(Text(TextKey::CliBadDate, 1)), std::string::npos);
}

TEST_F(HistoryCommand, CsvAndJsonListings) {
    Record({kA, kB}, kJan1);
    Record({kBRetyped, kC}, kJan1 + kDay);
    EXPECT_EQ(Run({"--diff", "--format", "csv"}), 1);
    std::istringstream csv(out.str());
    std::string header, line;
    std::getline(csv, header);
    EXPECT_EQ(header.rfind("change,node_id,previous_node_id,", 0), 0u);
    std::vector<std::string> lines;
    while (std::getline(csv, line)) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "type,ns=2;i=2,ns=2;i=2,Plant,Plant,B,B,Float,Double,scalar,scalar,3,3\r");
    EXPECT_EQ(lines[1].rfind("added,ns=2;s=C,,", 0), 0u);
    EXPECT_EQ(lines[2].rfind("removed,,ns=2;i=1,", 0), 0u);

    EXPECT_EQ(Run({"--diff", "--format", "json"}), 1);
    EXPECT_NE(out.str().find("{\"change\":[\"type\"],\"before\":{\"nodeId\":\"ns=2;i=2\""),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("{\"change\":[\"removed\"],\"before\":{\"nodeId\":\"ns=2;i=1\""
                             ",\"path\":\"Plant\",\"displayName\":\"A\",\"dataType\":\"Int32\","
                             "\"array\":false,\"userAccess\":1},\"after\":null}"),
              std::string::npos);
}

TEST_F(HistoryCommand, HistoryListsTheScansOldestFirst) {
    const long long first = Record({kA, kB}, kJan1);
    const long long second = Record({kA}, kJan1 + kDay, false);
    EXPECT_EQ(Run({"--history"}), 0);
    std::istringstream lines(out.str());
    std::string header, a, b, extra;
    std::getline(lines, header);
    std::getline(lines, a);
    std::getline(lines, b);
    EXPECT_FALSE(std::getline(lines, extra));
    EXPECT_EQ(header, "scan\tstarted\tpoints\tcomplete\tseconds");
    EXPECT_EQ(a.rfind(std::to_string(first) + "\t", 0), 0u);
    EXPECT_NE(a.find("\t2\tcomplete\t1.0"), std::string::npos) << a;
    EXPECT_EQ(b.rfind(std::to_string(second) + "\t", 0), 0u);
    EXPECT_NE(b.find("\t1\tcut short\t1.0"), std::string::npos) << b;
}

TEST(HistoryArguments, Combinations) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{"--history", "--url", "opc.tcp://a:1"}, true},
        {{"--history"}, false},  // which server?
        {{"--diff", "--url", "opc.tcp://a:1", "--scans", "3", "4"}, true},
        {{"--diff", "--url", "opc.tcp://a:1", "--scans", "3"}, false},
        {{"--diff", "--url", "opc.tcp://a:1", "--scans", "3", "x"}, false},
        {{"--diff", "--url", "opc.tcp://a:1", "--scans", "1", "2", "--since", "2026-01-01"}, false},
        {{"--diff", "--url", "opc.tcp://a:1", "--since", "yesterday"}, false},
        {{"--diff", "--url", "opc.tcp://a:1", "--format", "json"}, true},
        {{"--diff", "--url", "opc.tcp://a:1", "--format", "xlsx"}, false},
        {{"--history", "--diff", "--url", "opc.tcp://a:1"}, false},
        {{"--since", "2026-01-01", "--export", "x.csv"}, false},
        {{"--inventory", "plant.txt"}, true},
        {{"--inventory", "plant.txt", "--jobs", "16", "--export", "out/", "--format", "json"},
         true},
        {{"--inventory", "plant.txt", "--jobs", "0"}, false},
        {{"--inventory", "plant.txt", "--format", "xls"}, false},
        {{"--inventory", "plant.txt", "--history", "--url", "opc.tcp://a:1"}, false},
        {{"--export", "x.csv", "--no-history"}, true},
        {{"--export", "x.json", "--format", "json"}, true},
        {{"--export", "x.csv", "--format", "telegraf", "--history", "--url", "opc.tcp://a:1"},
         false},
        {{"--export", "x.csv", "--jobs", "4"}, false},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += a + " ";
        EXPECT_EQ(ParseCommandLine(c.args).options.has_value(), c.ok) << shown;
    }
    const auto parsed =
        ParseCommandLine({"--diff", "--url", "opc.tcp://a:1", "--scans=5", "9"}).options;
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->history.scans, (std::pair<long long, long long>(5, 9)));
}

TEST(HistoryArguments, LocalDates) {
    const auto day = ParseLocalDate("2026-12-03");
    const auto minute = ParseLocalDate("2026-12-03 14:10");
    const auto t = ParseLocalDate("2026-12-03T14:10:30");
    ASSERT_TRUE(day && minute && t);
    EXPECT_EQ(*minute - *day, (14 * 60 + 10) * 60'000);
    EXPECT_EQ(*t - *minute, 30'000);
    for (const char* bad : {"2026-13-01", "2026-02-30", "2026/12/03", "2026-12-03 25:00",
                            "2026-12-03 14:10x", "", "12/03/2026"})
        EXPECT_FALSE(ParseLocalDate(bad)) << bad;
}

}  // namespace
