#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(WantsCommandLineTest, OnlyExportOrHelpLeaveTheWindowOut) {
    EXPECT_FALSE(WantsCommandLine({}));
    EXPECT_FALSE(WantsCommandLine({"-platform", "offscreen"}));  // Qt's own arguments
    EXPECT_FALSE(WantsCommandLine({"--url", "opc.tcp://h:1"}));
    EXPECT_TRUE(WantsCommandLine({"--export", "a.xls"}));
    EXPECT_TRUE(WantsCommandLine({"--export=a.xls"}));
    EXPECT_TRUE(WantsCommandLine({"--help"}));
    EXPECT_TRUE(WantsCommandLine({"-h"}));
}

TEST(ParseCommandLineTest, Defaults) {
    const CliParse parsed = ParseCommandLine({"--export", "out.xlsx"});
    ASSERT_TRUE(parsed.options);
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.exportPath, "out.xlsx");
    EXPECT_EQ(o.settings.url, "opc.tcp://127.0.0.1:4840");
    EXPECT_EQ(o.settings.authKind, 1);
    EXPECT_EQ(o.settings.timeoutSeconds, 10);
    EXPECT_EQ(o.settings.securityPolicy, "");
    EXPECT_EQ(o.settings.securityMode, "");
    EXPECT_FALSE(o.settings.allowPlainPassword);
    EXPECT_EQ(o.language, 0);
    EXPECT_FALSE(o.help);
}

TEST(ParseCommandLineTest, EverySettingReachesTheEngine) {
    const CliParse user = ParseCommandLine(
        {"--export", "p.csv", "--url=opc.tcp://plc:4841", "--policy", "Basic256Sha256", "--mode",
         "SignAndEncrypt", "--user", "operator", "--password-env", "PW", "--timeout", "600",
         "--lang", "en", "--allow-plain-password"});
    ASSERT_TRUE(user.options);
    const ConnectionSettings& s = user.options->settings;
    EXPECT_EQ(s.url, "opc.tcp://plc:4841");
    EXPECT_EQ(s.authKind, 2);
    EXPECT_EQ(s.userName, "operator");
    EXPECT_EQ(s.password, "") << "never from the arguments";
    EXPECT_EQ(user.options->passwordEnv, "PW");
    EXPECT_EQ(s.securityPolicy, "Basic256Sha256");
    EXPECT_EQ(s.securityMode, "Sign & Encrypt");
    EXPECT_EQ(s.timeoutSeconds, 600);
    EXPECT_TRUE(s.allowPlainPassword);
    EXPECT_EQ(user.options->language, 1);

    const CliParse cert = ParseCommandLine({"--export", "p.xls", "--cert", "c.der", "--key",
                                            "k.der", "--policy", "Basic256", "--mode", "Sign"});
    ASSERT_TRUE(cert.options);
    EXPECT_EQ(cert.options->settings.authKind, 3);
    EXPECT_EQ(cert.options->settings.certificatePath, "c.der");
    EXPECT_EQ(cert.options->settings.privateKeyPath, "k.der");
    EXPECT_EQ(cert.options->settings.securityMode, "Sign");

    const CliParse help = ParseCommandLine({"--help"});
    ASSERT_TRUE(help.options);
    EXPECT_TRUE(help.options->help);
}

struct Refused {
    Args args;
    TextKey key;
    std::string detail;
};

TEST(ParseCommandLineTest, RefusedArguments) {
    const Refused cases[] = {
        {{}, TextKey::CliNeedsExport, ""},
        {{"--url", "opc.tcp://h:1"}, TextKey::CliNeedsExport, ""},
        {{"--export"}, TextKey::CliMissingValue, "--export"},
        {{"--export="}, TextKey::CliMissingValue, "--export"},
        {{"--export", "a.xls", "--verbose"}, TextKey::CliUnknownOption, "--verbose"},
        {{"--export", "a.xls", "extra"}, TextKey::CliUnknownOption, "extra"},
        {{"--export", "a.xls", "--password", "x"}, TextKey::CliPasswordOnCommandLine, ""},
        {{"--export", "a.xls", "--password=x"}, TextKey::CliPasswordOnCommandLine, ""},
        {{"--export", "a.xls", "--timeout", "4"}, TextKey::CliBadValue, "--timeout 4"},
        {{"--export", "a.xls", "--timeout", "601"}, TextKey::CliBadValue, "--timeout 601"},
        {{"--export", "a.xls", "--timeout", "10s"}, TextKey::CliBadValue, "--timeout 10s"},
        {{"--export", "a.xls", "--lang", "de"}, TextKey::CliBadValue, "--lang de"},
        {{"--export", "a.xls", "--policy", "Basic512"}, TextKey::CliBadValue, "--policy Basic512"},
        {{"--export", "a.xls", "--policy", "none", "--mode", "None"},
         TextKey::CliBadValue,
         "--policy none"},
        {{"--export", "a.xls", "--policy", "None"}, TextKey::CliConflict, "--policy --mode"},
        {{"--export", "a.xls", "--mode", "Sign"}, TextKey::CliConflict, "--policy --mode"},
        {{"--export", "a.xls", "--policy", "None", "--mode", "Sign"},
         TextKey::CliConflict,
         "--policy None --mode Sign"},
        {{"--export", "a.xls", "--policy", "Basic256", "--mode", "None"},
         TextKey::CliConflict,
         "--policy Basic256 --mode None"},
        {{"--export", "a.xls", "--user", "u", "--cert", "c", "--key", "k"},
         TextKey::CliConflict,
         "--user --cert"},
        {{"--export", "a.xls", "--password-env", "PW"},
         TextKey::CliConflict,
         "--password-env --user"},
        {{"--export", "a.xls", "--cert", "c", "--policy", "Basic256", "--mode", "Sign"},
         TextKey::CliConflict,
         "--cert --key"},
        {{"--export", "a.xls", "--cert", "c", "--key", "k"},
         TextKey::CliConflict,
         "--cert --policy --mode"},
    };
    for (const Refused& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        const CliParse parsed = ParseCommandLine(c.args);
        EXPECT_FALSE(parsed.options) << joined;
        EXPECT_EQ(parsed.error.key, c.key) << joined;
        EXPECT_EQ(parsed.error.detail, c.detail) << joined;
    }
}

TEST(LanguageOfTest, ReadFirstForEveryMessage) {
    EXPECT_EQ(LanguageOf({}), 0);
    EXPECT_EQ(LanguageOf({"--bogus", "--lang", "en"}), 1);
    EXPECT_EQ(LanguageOf({"--lang=en"}), 1);
    EXPECT_EQ(LanguageOf({"--lang", "zh"}), 0);
    EXPECT_EQ(LanguageOf({"--lang"}), 0);
}

}  // namespace
