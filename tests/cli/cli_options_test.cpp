#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Args = std::vector<std::string>;

TEST(WantsCommandLineTest, AnyOptionButQtsOwnMeansTheCommandLine) {
    EXPECT_FALSE(WantsCommandLine({}));
    // Qt's own arguments, with one dash or two, and their values.
    EXPECT_FALSE(WantsCommandLine({"-platform", "offscreen"}));
    EXPECT_FALSE(WantsCommandLine({"--platform", "offscreen", "-reverse", "-style=Fusion"}));
    EXPECT_FALSE(WantsCommandLine({"-platform", "--export"}));  // a value, not an option
    EXPECT_FALSE(WantsCommandLine({"plant"}));                  // words are left to Qt
    // A typo or an option of ours without --export: the usage, not a window.
    EXPECT_TRUE(WantsCommandLine({"--list-endpoint"}));
    EXPECT_TRUE(WantsCommandLine({"--url", "opc.tcp://h:1"}));
    EXPECT_TRUE(WantsCommandLine({"-x"}));
    EXPECT_TRUE(WantsCommandLine({"-platform", "offscreen", "--bogus"}));
    EXPECT_TRUE(WantsCommandLine({"--list-endpoints", "--url", "opc.tcp://h:1"}));
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
    // Neither given: left open, so that a sign-in takes the strongest endpoint offered.
    EXPECT_EQ(o.settings.securityPolicy, "");
    EXPECT_EQ(o.settings.securityMode, "");
    EXPECT_FALSE(o.settings.allowPlainPassword);
    EXPECT_EQ(o.language, -1);  // the locale decides
    EXPECT_FALSE(o.verbose);
    EXPECT_FALSE(o.listEndpoints);
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
        {{"--export", "a.xls", "--verbos"}, TextKey::CliUnknownOption, "--verbos"},
        {{"--list-endpoint", "--url", "opc.tcp://h:1"},
         TextKey::CliUnknownOption,
         "--list-endpoint"},
        {{"--list-endpoints"}, TextKey::CliNeedsUrl, ""},
        {{"--list-endpoints", "--url", "opc.tcp://h:1", "--export", "a.xls"},
         TextKey::CliConflict,
         "--list-endpoints --export"},
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

Environment Env(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

TEST(LanguageOfTest, ReadFirstForEveryMessage) {
    const Environment none = Env({});
    EXPECT_EQ(LanguageOf({}, none), 0);
    EXPECT_EQ(LanguageOf({"--bogus", "--lang", "en"}, none), 1);
    EXPECT_EQ(LanguageOf({"--lang=en"}, none), 1);
    EXPECT_EQ(LanguageOf({"--lang", "zh"}, Env({{"LANG", "en_US.UTF-8"}})), 0);
    EXPECT_EQ(LanguageOf({"--lang"}, none), 0);
    EXPECT_EQ(LanguageOf({"--lang"}, Env({{"LANG", "C"}})), 1);
}

TEST(LanguageOfTest, LocaleRule) {
    const struct {
        std::map<std::string, std::string> env;
        int expected;
    } cases[] = {
        {{}, 0},  // nothing set: Chinese as before
        {{{"LANG", "zh_CN.UTF-8"}}, 0},
        {{{"LANG", "zh_TW"}}, 0},
        {{{"LANG", "en_GB.UTF-8"}}, 1},
        {{{"LANG", "C"}}, 1},  // any other set value: English
        {{{"LANG", "POSIX"}}, 1},
        {{{"LANG", ""}}, 0},                                   // empty counts as unset
        {{{"LC_MESSAGES", "zh_CN"}, {"LANG", "en_US"}}, 0},    // LC_MESSAGES before LANG
        {{{"LC_ALL", "en_US"}, {"LC_MESSAGES", "zh_CN"}}, 1},  // LC_ALL before both
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "de_DE"}, {"LANG", "zh_CN"}}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(LocaleLanguage(Env(c.env)), c.expected) << c.env.size();
}

TEST(ParseCommandLineTest, ListEndpointsAndVerbose) {
    const CliParse parsed = ParseCommandLine(
        {"--list-endpoints", "--url", "opc.tcp://h:1", "--verbose", "--timeout", "5"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->listEndpoints);
    EXPECT_TRUE(parsed.options->verbose);
    EXPECT_EQ(parsed.options->settings.url, "opc.tcp://h:1");
    EXPECT_EQ(parsed.options->settings.timeoutSeconds, 5);
    // The new policies are taken by name.
    for (const char* policy : {"Aes128_Sha256_RsaOaep", "Aes256_Sha256_RsaPss"}) {
        const CliParse p =
            ParseCommandLine({"--export", "a.csv", "--policy", policy, "--mode", "Sign"});
        ASSERT_TRUE(p.options) << policy;
        EXPECT_EQ(p.options->settings.securityPolicy, policy);
    }
}

TEST(ParseCommandLineTest, SignInWithoutPolicyLeavesTheChoiceToTheEngine) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--export", "a.csv", "--user", "alice"},
          std::vector<std::string>{"--export", "a.csv", "--cert", "c.der", "--key", "k.der"}}) {
        const CliParse parsed = ParseCommandLine(args);
        ASSERT_TRUE(parsed.options) << args[2];
        EXPECT_EQ(parsed.options->settings.authKind, args[2] == "--user" ? 2 : 3);
        EXPECT_EQ(parsed.options->settings.securityPolicy, "");
        EXPECT_EQ(parsed.options->settings.securityMode, "");
    }
}

}  // namespace
