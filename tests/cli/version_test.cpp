#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "texts/text_table.h"

namespace {

using Args = std::vector<std::string>;

// The version the build was configured with, handed over by CMake independently of the header
// the program prints from.
const std::string kExpected = std::string("quorvane ") + EXPECTED_VERSION + "\n";

struct VersionRun {
    int code;
    std::string out;
    std::string err;
};

VersionRun RunCli(const Args& args) {
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams io{in, out, err, [](const std::string&) { return std::optional<std::string>(); },
                  false};
    const int code = RunCommandLine(args, io);
    language = 0;
    return {code, out.str(), err.str()};
}

TEST(VersionTest, TheConfiguredVersionIsAPackageVersion) {
    // Debian's version comparison needs it to start with a digit; dots separate the parts.
    // Digits in groups of at least one, two groups or more, joined by single dots.
    const std::string version = EXPECTED_VERSION;
    bool wellFormed = !version.empty() && version.front() != '.' && version.back() != '.' &&
                      version.find('.') != std::string::npos &&
                      version.find("..") == std::string::npos;
    for (const char c : version) wellFormed = wellFormed && (c == '.' || (c >= '0' && c <= '9'));
    EXPECT_TRUE(wellFormed) << EXPECTED_VERSION;
}

TEST(VersionTest, NeedsNoExportAndNoWindow) {
    EXPECT_TRUE(WantsCommandLine({"--version"}));
    EXPECT_TRUE(WantsCommandLine({"--lang", "en", "--version"}));
    const CliParse parsed = ParseCommandLine({"--version"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->version);
    EXPECT_FALSE(parsed.options->help);
    EXPECT_FALSE(ParseCommandLine({"--export", "a.xls"}).options->version);
}

TEST(VersionTest, PrintsOneLineInEveryLanguage) {
    const Args cases[] = {
        {"--version"},
        {"--version", "--lang", "en"},
        {"--lang=zh", "--version"},
        // Asking for the version never scans, whatever else is given.
        {"--version", "--export", "never-written.xls", "--url", "opc.tcp://127.0.0.1:1"},
    };
    for (const Args& args : cases) {
        const VersionRun r = RunCli(args);
        EXPECT_EQ(r.code, kCliDone) << args.front();
        EXPECT_EQ(r.out, kExpected);
        EXPECT_EQ(r.err, "");
    }
}

TEST(VersionTest, BadArgumentsBesideItAreStillRefused) {
    const VersionRun unknown = RunCli({"--version", "--bogus"});
    EXPECT_EQ(unknown.code, kCliBadArguments);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("--bogus"), std::string::npos) << unknown.err;

    const VersionRun badValue = RunCli({"--version", "--timeout", "1"});
    EXPECT_EQ(badValue.code, kCliBadArguments);
    EXPECT_EQ(badValue.out, "");
}

TEST(VersionTest, HelpWinsOverVersion) {
    const VersionRun r = RunCli({"--help", "--version", "--lang", "en"});
    EXPECT_EQ(r.code, kCliDone);
    EXPECT_EQ(r.out.rfind("usage: quorvane", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find(kExpected), std::string::npos);
}

}  // namespace
