// Whole scans of the demo server into the exports meant for other tools, read back by Python's
// own parsers: every point once, with the identifier the collector needs, typed JSON values,
// the attributes when asked for, and never the password.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/command_line.h"
#include "engine/node_id_text.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"

namespace {

class ToolExports : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("quorvane-tools-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        DemoServerOptions options;
        options.users = {{"operator", "secret"}};
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        std::ofstream points(File("points.txt"), std::ios::binary);
        for (const DemoPoint& point : server->Points())
            points << NodeIdToText(point.nodeId) << "\n";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        language = 0;
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.end(), {"--url", server->Url(), "--lang", "en"});
        std::istringstream in;
        out.str({});
        err.str({});
        CliStreams io{in,
                      out,
                      err,
                      [](const std::string& name) -> std::optional<std::string> {
                          if (name == "PW") return "secret";
                          return std::nullopt;
                      },
                      false,
                      -1};
        return RunCommandLine(args, io);
    }
    std::string File(const std::string& name) const { return (dir / name).string(); }

    // What check_tool_export.py says about `name`: "OK" or its problems.
    std::string Check(const std::string& name, const std::string& flags = {}) {
        const std::string command = "/usr/bin/python3 " CHECK_TOOL_EXPORT_SCRIPT " '" + File(name) +
                                    "' '" + File("points.txt") + "' " + flags;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        if (!pipe) return "no python";
        std::string text;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
            text.append(buffer, n);
        return text;
    }

    std::unique_ptr<DemoServer> server;
    std::filesystem::path dir;
    std::ostringstream out, err;
};

TEST_F(ToolExports, TelegrafHasEveryPointOnceAndNoPassword) {
    ASSERT_EQ(Run({"--export", File("anonymous.toml")}), kCliDone) << err.str();
    EXPECT_EQ(Check("anonymous.toml"), "OK\n");
    ASSERT_EQ(Run({"--export", File("user.conf"), "--format", "telegraf", "--user", "operator",
                   "--password-env", "PW", "--allow-plain-password"}),
              kCliDone)
        << err.str();
    std::filesystem::rename(File("user.conf"), File("user.toml"));
    EXPECT_EQ(Check("user.toml", "--user"), "OK\n");
}

TEST_F(ToolExports, JsonMatchesTheListWithAndWithoutAttributes) {
    ASSERT_EQ(Run({"--export", File("plain.json")}), kCliDone) << err.str();
    EXPECT_EQ(Check("plain.json"), "OK\n");
    ASSERT_EQ(Run({"--export", File("all.json"), "--attributes"}), kCliDone) << err.str();
    EXPECT_EQ(Check("all.json", "--attributes"), "OK\n");
}

TEST_F(ToolExports, TagListTakesItsUnitsAndAccessFromTheAttributes) {
    ASSERT_EQ(Run({"--export", File("tags.csv"), "--format", "tags-csv"}), kCliDone) << err.str();
    EXPECT_EQ(Check("tags.csv"), "OK\n");
}

TEST_F(ToolExports, UnknownFormatsNameTheKnownOnes) {
    EXPECT_EQ(Run({"--export", File("x"), "--format", "yaml"}), kCliBadArguments);
    EXPECT_NE(err.str().find("json, tags-csv or telegraf: yaml"), std::string::npos) << err.str();
}

}  // namespace
