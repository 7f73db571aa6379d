// quorvane --watch: its arguments, its lines, and whole runs against the demo server.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "cli/watch_line.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"

namespace {

TEST(WatchArguments, WhatIsTakenAndWhatIsRefused) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        TextKey error;  // when refused
    };
    const Case cases[] = {
        {{"--watch", "ns=1;i=5", "--url", "opc.tcp://h:4840"}, true, {}},
        {{"--url", "opc.tcp://h:4840", "--watch", "ns=1;i=5", "ns=1;s=A B", "--seconds", "3"},
         true,
         {}},
        {{"--watch", "ns=1;i=5"}, false, TextKey::CliNeedsUrl},
        {{"--watch", "--url", "opc.tcp://h:4840"}, false, TextKey::CliMissingValue},
        {{"--watch", "ns=1;i=5", "--url", "u", "--export", "f.csv"}, false, TextKey::CliConflict},
        {{"--watch", "ns=1;i=5", "--url", "u", "--format", "xlsx"}, false, TextKey::CliConflict},
        {{"--watch", "ns=1;i=5", "--url", "u", "--seconds", "0"}, false, TextKey::CliBadValue},
        {{"--watch", "ns=1;i=5", "--url", "u", "--seconds", "2x"}, false, TextKey::CliBadValue},
        {{"--watch", "ns=1;i=5", "--url", "u", "--sampling", "99"}, false, TextKey::CliBadValue},
        {{"--watch", "ns=1;i=5", "--url", "u", "--sampling"}, false, TextKey::CliMissingValue},
        {{"--export", "f.csv", "--seconds", "5"}, false, TextKey::CliConflict},
    };
    for (const Case& c : cases) {
        const CliParse parsed = ParseCommandLine(c.args);
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        ASSERT_EQ(parsed.options.has_value(), c.ok) << joined << Text(parsed.error.key, 1);
        if (!c.ok) {
            EXPECT_EQ(parsed.error.key, c.error) << joined;
        }
    }
    const CliParse two = ParseCommandLine({"--watch=ns=1;i=5", "ns=2;i=6", "--url", "u",
                                           "--sampling=250", "--format", "json", "--seconds=7"});
    ASSERT_TRUE(two.options);
    EXPECT_EQ(two.options->watch.nodeIds, (std::vector<std::string>{"ns=1;i=5", "ns=2;i=6"}));
    EXPECT_EQ(two.options->watch.samplingMs, 250);
    EXPECT_EQ(two.options->watch.seconds, 7);
    EXPECT_EQ(two.options->format, ExportFormat::Json);
}

TEST(WatchLine, CsvFieldsAreQuotedAndJsonKeepsNumbers) {
    const UA_DateTime at = UA_DateTime_fromUnixTime(1700000000) + 120 * UA_DATETIME_MSEC;
    struct Case {
        const char* value;
        bool json;
        const char* line;
    };
    const Case cases[] = {
        {"12.5", false, "2023-11-14T22:13:20.120Z,ns=1;i=5,12.5,GOOD"},
        {"a,\"b\"", false, "2023-11-14T22:13:20.120Z,ns=1;i=5,\"a,\"\"b\"\"\",GOOD"},
        {"12.5", true,
         "{\"time\":\"2023-11-14T22:13:20.120Z\",\"nodeId\":\"ns=1;i=5\",\"value\":12.5,"
         "\"quality\":\"GOOD\"}"},
        {"on \"x\"", true,
         "{\"time\":\"2023-11-14T22:13:20.120Z\",\"nodeId\":\"ns=1;i=5\",\"value\":\"on "
         "\\\"x\\\"\",\"quality\":\"GOOD\"}"},
    };
    for (const Case& c : cases) {
        LiveChange change;
        change.value = c.value;
        change.quality = "GOOD";
        change.sourceTime = at;
        EXPECT_EQ(WatchLine(change, "ns=1;i=5", 0, c.json), c.line);
    }
    LiveChange timeless;
    timeless.quality = "BAD";
    EXPECT_EQ(WatchLine(timeless, "ns=1;i=5", at, false), "2023-11-14T22:13:20.120Z,ns=1;i=5,,BAD")
        << "without a source time the time of arrival";
}

class Watch : public ::testing::Test {
protected:
    void Start(DemoServerOptions o = {}) {
        server = StartDemoServer(o);
        ASSERT_TRUE(server);
    }
    int Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--url", server->Url(), "--lang", "en"});
        std::istringstream in;
        out.str({});
        err.str({});
        CliStreams io{in, out, err, [](const std::string&) { return std::optional<std::string>(); },
                      false};
        return RunCommandLine(args, io);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream text(out.str());
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
    std::string Point(UA_UInt32 id) const {
        return "ns=" + std::to_string(server->PlantNamespace()) + ";i=" + std::to_string(id);
    }

    std::unique_ptr<DemoServer> server;
    std::ostringstream out, err;
};

TEST_F(Watch, AChangingPointPrintsALinePerChange) {
    Start();
    const std::string counter = Point(demo::kPumpCounter);
    ASSERT_EQ(Run({"--watch", counter, "--seconds", "3", "--sampling", "100"}), kCliDone)
        << err.str();
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u) << out.str();  // the first value, then one each second
    std::vector<std::string> values;
    for (const std::string& line : lines) {
        // time,NodeId,value,quality
        const auto first = line.find(',');
        const auto last = line.rfind(',');
        ASSERT_NE(first, last) << line;
        EXPECT_EQ(line.substr(first + 1, counter.size()), counter) << line;
        EXPECT_EQ(line.substr(last + 1), "GOOD") << line;
        EXPECT_EQ(line[first - 1], 'Z') << line;
        values.push_back(
            line.substr(first + counter.size() + 2, last - first - counter.size() - 2));
    }
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_EQ(std::stoul(values[i]), std::stoul(values[i - 1]) + 1) << out.str();
    EXPECT_EQ(err.str(), "");
}

TEST_F(Watch, AnUnknownNodeIsNamedAndTheOthersAreWatched) {
    Start();
    const std::string unknown = Point(987654);
    ASSERT_EQ(
        Run({"--watch", unknown, Point(demo::kPumpCounter), "--seconds", "2", "--format", "json"}),
        kCliDone);
    EXPECT_EQ(err.str(), "quorvane: " + unknown + ": BadNodeIdUnknown\n");
    const auto lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("\"nodeId\":\"" + Point(demo::kPumpCounter) + "\""), std::string::npos)
        << lines[0];

    EXPECT_EQ(Run({"--watch", unknown, "--seconds", "1"}), kCliWatchRefused);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Run({"--watch", "ns=1;x=oops", "--seconds", "1"}), kCliBadArguments);
    EXPECT_EQ(err.str(), "quorvane: not a NodeId: ns=1;x=oops\n");
}

TEST_F(Watch, AServerWithoutSubscriptionsIsSaidSo) {
    DemoServerOptions o;
    o.noSubscriptions = true;
    Start(o);
    EXPECT_EQ(Run({"--watch", Point(demo::kPumpCounter), "--seconds", "1"}), kCliWatchRefused);
    EXPECT_NE(err.str().find("BadTooManySubscriptions"), std::string::npos) << err.str();
}

}  // namespace
