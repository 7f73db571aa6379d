#include "cli/command_line.h"

#include <gtest/gtest.h>
#include <open62541/server.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"

namespace {

// Runs the command line in this process against the demo server, with its own streams.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions options;
        options.users = {{"operator", "secret"}};
        server = StartDemoServer(options);
        ASSERT_NE(server, nullptr);
        dir = std::filesystem::temp_directory_path() /
              ("quorvane-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        language = 0;
    }

    int Run(std::vector<std::string> args, const std::string& input = {}) {
        std::istringstream in(input);
        out.str({});
        err.str({});
        CliStreams io{in, out, err,
                      [this](const std::string& name) -> std::optional<std::string> {
                          const auto found = environment.find(name);
                          if (found == environment.end()) return std::nullopt;
                          return found->second;
                      },
                      false};
        io.forgetEnvironment = [this](const std::string& name) { environment.erase(name); };
        return RunCommandLine(args, io);
    }
    std::string File(const std::string& name) const { return (dir / name).string(); }

    std::unique_ptr<DemoServer> server;
    std::filesystem::path dir;
    std::map<std::string, std::string> environment;
    std::ostringstream out, err;
};

// Standard output says how many points went where; a name that is not .xls, .xlsx or .csv
// still gets the workbook, as in the window.
TEST_F(CommandLine, ReportsThePointsAndTheFile) {
    ASSERT_EQ(Run({"--export", File("scan.txt"), "--url", server->Url()}), kCliDone) << err.str();
    EXPECT_EQ(out.str(),
              std::to_string(server->Points().size()) + " 个点 → " + File("scan.txt") + "\n");
    EXPECT_EQ(err.str(), "");
    std::ifstream file(File("scan.txt"), std::ios::binary);
    char magic[4] = {};
    file.read(magic, 4);
    EXPECT_EQ(std::string(magic, 4), "\xD0\xCF\x11\xE0") << "a compound file";
    ASSERT_EQ(Run({"--export", File("en.csv"), "--url", server->Url(), "--lang", "en"}), kCliDone);
    EXPECT_EQ(out.str(),
              std::to_string(server->Points().size()) + " points → " + File("en.csv") + "\n");
}

// The rows of `path` as Debian's readers see them, as JSON.
std::string ReadRows(const std::string& path) {
    const std::string command = "/usr/bin/python3 " READ_ROWS_SCRIPT " '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return {};
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

// A CJK string identifier, and one a CSV file must quote, besides the demo server's GUID and
// opaque identifiers: all three files read back the same.
TEST_F(CommandLine, SameRowsInAllThreeFormats) {
    const UA_UInt16 ns = server->PlantNamespace();
    for (const char* id : {"泵站.出口压力", "Tank \"A\", level"}) {
        UA_VariableAttributes attributes = UA_VariableAttributes_default;
        UA_Double value = 1.5;
        UA_Variant_setScalar(&attributes.value, &value, &UA_TYPES[UA_TYPES_DOUBLE]);
        attributes.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(id));
        ASSERT_EQ(
            UA_Server_addVariableNode(server->Server(), UA_NODEID_STRING(ns, const_cast<char*>(id)),
                                      UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER),
                                      UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                                      UA_QUALIFIEDNAME(ns, const_cast<char*>(id)),
                                      UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE),
                                      attributes, nullptr, nullptr),
            UA_STATUSCODE_GOOD);
    }
    std::map<std::string, std::string> read;
    for (const char* name : {"all.xls", "all.xlsx", "all.csv"}) {
        ASSERT_EQ(Run({"--export", File(name), "--url", server->Url()}), kCliDone) << err.str();
        read[name] = ReadRows(File(name));
    }
    const std::string& xls = read["all.xls"];
    ASSERT_FALSE(xls.empty());
    EXPECT_TRUE(read["all.xlsx"] == xls) << read["all.xlsx"].substr(0, 400);
    EXPECT_TRUE(read["all.csv"] == xls) << read["all.csv"].substr(0, 400);
    const std::string nsText = "ns=" + std::to_string(ns);
    for (const std::string& row :
         {"\"泵站.出口压力\", \"ItemID\", \"" + nsText + ";s=泵站.出口压力\", \"Double\"",
          "\"Tank \\\"A\\\", level\", \"ItemID\", \"" + nsText + ";s=Tank \\\"A\\\", level\"",
          std::string("\"01000000-0200-0300-aabb-ccddeeff0011\", \"ItemID\", \"ns=") +
              std::to_string(ns) + ";g=01000000-0200-0300-aabb-ccddeeff0011\", \"Word\"",
          std::string("\"\", \"\", \"\", \"Word\"")}) {  // the opaque point, a Byte
        EXPECT_NE(xls.find(row), std::string::npos) << row;
    }
    EXPECT_EQ(xls.rfind("[[\"ID\", \"Name\", \"RegType\", \"RegAddress\", \"DataType\", "
                        "\"Description\"], [\"1\", ",
                        0),
              0u);
}

TEST_F(CommandLine, UserSignInTakesThePasswordFromEnvironmentOrInput) {
    const std::vector<std::string> base = {"--export",
                                           File("u.csv"),
                                           "--url",
                                           server->Url(),
                                           "--user",
                                           "operator",
                                           "--policy",
                                           "None",
                                           "--mode",
                                           "None",
                                           "--allow-plain-password"};
    environment["QV_PW"] = "secret";
    auto withEnv = base;
    withEnv.insert(withEnv.end(), {"--password-env", "QV_PW"});
    EXPECT_EQ(Run(withEnv), kCliDone) << err.str();
    EXPECT_EQ(Run(base, "secret\r\n"), kCliDone) << err.str();

    environment["QV_PW"] = "wrong";
    EXPECT_EQ(Run(withEnv), kCliConnectFailed);
    EXPECT_EQ(err.str(), "用户名/密码错误!\n");
    EXPECT_EQ(out.str(), "");
    // No input: the message says where a password may come from, in either language.
    EXPECT_EQ(Run(base, ""), kCliConnectFailed);
    EXPECT_EQ(
        err.str(),
        "quorvane: 没有密码: 请用 --password-env 变量名 指定环境变量，或在标准输入给出一行\n");
    auto english = base;
    english.insert(english.end(), {"--lang", "en"});
    EXPECT_EQ(Run(english, "\n"), kCliConnectFailed);
    EXPECT_EQ(err.str(),
              "quorvane: no password: name an environment variable with --password-env VAR, or "
              "give it as one line on standard input\n");

    // Without the flag a password that would travel in clear is not sent.
    environment["QV_PW"] = "secret";
    auto withoutFlag = withEnv;
    withoutFlag.erase(std::find(withoutFlag.begin(), withoutFlag.end(), "--allow-plain-password"));
    // ... and no question is printed that nobody could answer: what was refused, and the flag.
    EXPECT_EQ(Run(withoutFlag), kCliConnectFailed);
    EXPECT_EQ(err.str(),
              "密码没有发送: 服务器只接受不加密的密码; 加上 --allow-plain-password "
              "才会以明文发送密码\n");
    withoutFlag.insert(withoutFlag.end(), {"--lang", "en"});
    environment["QV_PW"] = "secret";  // each run takes it out of the environment
    EXPECT_EQ(Run(withoutFlag), kCliConnectFailed);
    EXPECT_EQ(err.str(),
              "the password was not sent: the server takes it only unencrypted; add "
              "--allow-plain-password to send it unencrypted\n");
    EXPECT_EQ(err.str().find('?'), std::string::npos);

    environment.erase("QV_PW");
    EXPECT_EQ(Run(withEnv), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: 环境变量未设置: QV_PW\n", 0), 0u) << err.str();
}

// Once read, the password is nowhere a same-user process could look: not in the environment,
// not in a core file.
TEST_F(CommandLine, APasswordFromTheEnvironmentIsTakenOutOfItAndOutOfDumps) {
    environment["QV_PW"] = "secret";
    ASSERT_EQ(Run({"--export", File("p.csv"), "--url", server->Url(), "--user", "operator",
                   "--password-env", "QV_PW", "--allow-plain-password"}),
              kCliDone)
        << err.str();
    EXPECT_EQ(environment.count("QV_PW"), 0u);
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 0);
    rlimit core{};
    ASSERT_EQ(::getrlimit(RLIMIT_CORE, &core), 0);
    EXPECT_EQ(core.rlim_cur, 0u);
}

TEST_F(CommandLine, ClosedPortFailsToConnect) {
    const std::string url = server->Url();
    server->Stop();
    ASSERT_EQ(Run({"--export", File("x.xls"), "--url", url, "--timeout", "5", "--lang", "en"}),
              kCliConnectFailed);
    EXPECT_EQ(err.str(),
              "conn server failed ... (connection refused: nothing listens on that port)\n");
    EXPECT_FALSE(std::filesystem::exists(File("x.xls")));
}

TEST_F(CommandLine, FailureTextsNameTheCause) {
    const struct {
        std::vector<std::string> args;
        const char* err;
    } cases[] = {
        {{"--url", "127.0.0.1:4840"}, "连接服务器失败 (不是 opc.tcp://主机:端口 形式的地址)\n"},
        {{"--url", "opc.tcp://nosuchhost.invalid:4841", "--lang", "en"},
         "conn server failed ... (host name not found)\n"},
        {{"--url", server->Url(), "--policy", "Basic256Sha256", "--mode", "SignAndEncrypt",
          "--user", "operator", "--password-env", "PW", "--lang", "en"},
         "the server does not offer the chosen security policy and mode (offered: None/None)\n"},
    };
    environment["PW"] = "secret";
    for (const auto& c : cases) {
        std::vector<std::string> args{"--export", File("x.csv")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), kCliConnectFailed) << c.err;
        EXPECT_EQ(err.str(), c.err);
        EXPECT_TRUE(out.str().empty());
    }
}

TEST_F(CommandLine, UserSignInWithoutPolicyOrModeSucceeds) {
    environment["PW"] = "secret";
    // The plain demo server offers no security at all: taken, and said.
    ASSERT_EQ(Run({"--export", File("u.csv"), "--url", server->Url(), "--user", "operator",
                   "--password-env", "PW", "--allow-plain-password", "--lang", "en"}),
              kCliDone)
        << err.str();
    EXPECT_EQ(err.str(),
              "warning: the server offers no secure endpoint; connected without security "
              "(None/None)\n");
    environment["PW"] = "secret";
    ASSERT_EQ(Run({"--export", File("n.csv"), "--url", server->Url(), "--user", "operator",
                   "--password-env", "PW", "--allow-plain-password", "--policy", "None", "--mode",
                   "None", "--lang", "en"}),
              kCliDone);
    EXPECT_EQ(err.str(), "") << "None chosen: nothing to warn about";
    environment["PW"] = "wrong";
    EXPECT_EQ(Run({"--export", File("w.csv"), "--url", server->Url(), "--user", "operator",
                   "--password-env", "PW", "--allow-plain-password", "--lang", "en"}),
              kCliConnectFailed);
    EXPECT_EQ(err.str(), "username or password not match!\n");
}

TEST_F(CommandLine, ListsTheEndpoints) {
    ASSERT_EQ(Run({"--list-endpoints", "--url", server->Url()}), kCliDone) << err.str();
    EXPECT_EQ(out.str(), "None None anonymous,username level 0\n");
    EXPECT_EQ(err.str(), "");

    DemoServerOptions options;
    options.secure = true;
    auto secure = StartDemoServer(options);
    ASSERT_NE(secure, nullptr);
    ASSERT_EQ(Run({"--list-endpoints", "--url=" + secure->Url()}), kCliDone) << err.str();
    std::istringstream lines(out.str());
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first.rfind("Aes256_Sha256_RsaPss SignAndEncrypt anonymous", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("\nBasic256Sha256 Sign anonymous"), std::string::npos);
    EXPECT_NE(out.str().find("\nNone None anonymous"), std::string::npos);

    const std::string url = server->Url();
    server->Stop();
    EXPECT_EQ(Run({"--list-endpoints", "--url", url, "--lang", "en"}), kCliConnectFailed);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "conn server failed ... (connection refused: nothing listens on that port)\n");
}

TEST_F(CommandLine, LanguageFollowsTheLocale) {
    environment["LANG"] = "en_US.UTF-8";
    EXPECT_EQ(Run({"--export", File("x.xls"), "--timeout", "3"}), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: invalid value: --timeout 3", 0), 0u) << err.str();
    environment["LC_ALL"] = "zh_CN.UTF-8";
    EXPECT_EQ(Run({"--export", File("x.xls"), "--timeout", "3"}), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: 参数值无效: --timeout 3", 0), 0u) << err.str();
    EXPECT_EQ(Run({"--export", File("x.xls"), "--timeout", "3", "--lang", "en"}), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: invalid value", 0), 0u) << err.str();
}

// The program itself, as a script runs it: standard error stays empty on success, and the
// library's log appears there only with --verbose, without colour codes.
TEST_F(CommandLine, ProgramIsQuietUnlessVerbose) {
    const std::string errFile = File("stderr.txt");
    const auto run = [&](const std::string& extra) {
        const std::string command = std::string(QUORVANE_BINARY) + " --export " + File("q.csv") +
                                    " --url " + server->Url() + extra + " >" + File("out.txt") +
                                    " 2>" + errFile;
        return std::system(command.c_str());
    };
    ASSERT_EQ(run(""), 0);
    std::ifstream quiet(errFile);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(quiet), {}), "");
    ASSERT_EQ(run(" --verbose"), 0);
    std::ifstream verbose(errFile);
    const std::string log(std::istreambuf_iterator<char>(verbose), {});
    EXPECT_NE(log.find("[info] "), std::string::npos) << log;
    EXPECT_EQ(log.find('\x1b'), std::string::npos);
}

TEST_F(CommandLine, UnwritableFileFailsToExport) {
    ASSERT_EQ(Run({"--export", File("missing/x.xlsx"), "--url", server->Url()}), kCliExportFailed);
    EXPECT_EQ(err.str(),
              "导出数据失败! " + File("missing/x.xlsx") + ": No such file or directory\n");
}

TEST_F(CommandLine, BadArgumentsAndHelp) {
    EXPECT_EQ(Run({"--export", File("x.xls"), "--password", "secret"}), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: 密码不能写在命令行上", 0), 0u) << err.str();
    EXPECT_EQ(Run({"--export", File("x.xls"), "--timeout", "3", "--lang", "en"}), kCliBadArguments);
    EXPECT_EQ(err.str().rfind("quorvane: invalid value: --timeout 3\n\nusage: quorvane", 0), 0u)
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(File("x.xls")));

    EXPECT_EQ(Run({"--help", "--lang", "en"}), kCliDone);
    EXPECT_EQ(out.str().rfind("usage: quorvane --export FILE", 0), 0u);
    EXPECT_NE(out.str().find("exit codes: 0 done, 2 bad arguments, 3 connect failed, 4 export"),
              std::string::npos);
    EXPECT_EQ(Run({"--help"}), kCliDone);
    EXPECT_EQ(out.str().rfind("用法: quorvane --export 文件", 0), 0u);
}

}  // namespace
