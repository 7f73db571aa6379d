#include <gtest/gtest.h>
#include <open62541/plugin/pki.h>
#include <open62541/server.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <span>
#include <sstream>

#include "cli/command_line.h"
#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The command line in this process, in English, against a secure demo server whose certificate
// this home has never seen.
class CliTrust : public ::testing::Test {
protected:
    void SetUp() override {
        home = UseFreshHome();
        DemoServerOptions options;
        options.secure = true;
        options.users = {{"operator", "secret"}};
        server = StartUntrustedDemoServer(options);
        ASSERT_TRUE(server);
        fingerprint = FingerprintText(ServerCertificate(*server).fingerprint);
    }
    void TearDown() override { language = 0; }

    int Run(std::vector<std::string> extra) {
        std::vector<std::string> args = {"--export",       (home / "scan.csv").string(),
                                         "--url",          server->Url(),
                                         "--user",         "operator",
                                         "--password-env", "PW",
                                         "--policy",       "Basic256Sha256",
                                         "--mode",         "SignAndEncrypt",
                                         "--lang",         "en"};
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

    std::filesystem::path home;
    std::unique_ptr<DemoServer> server;
    std::string fingerprint;
    std::ostringstream out, err;
};

// Runs the real program with `home` as HOME (and no XDG_DATA_HOME); its standard output.
std::string RunProgram(const std::filesystem::path& home, const std::string& args, int* status) {
    const std::string command = "env -u XDG_DATA_HOME HOME='" + home.string() + "' " +
                                QUORVANE_BINARY + " " + args + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        text.append(buffer, n);
    const int raw = pipe ? ::pclose(pipe.release()) : -1;
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return text;
}

std::string FingerprintLine(const std::string& shown) {
    const auto at = shown.find(Text(TextKey::CertFingerprint, 1));
    return at == std::string::npos ? std::string() : shown.substr(at, shown.find('\n', at) - at);
}

}  // namespace

TEST_F(CliTrust, UntrustedServerExitsFiveBeforeAnythingIsSent) {
    EXPECT_EQ(Run({}), kCliUntrusted);
    const std::string e = err.str();
    EXPECT_NE(e.find(Text(TextKey::CliServerUntrusted, 1)), std::string::npos) << e;
    EXPECT_NE(e.find(fingerprint), std::string::npos) << e;
    EXPECT_NE(e.find("CN=Quorvane demo server"), std::string::npos) << e;
    EXPECT_NE(e.find(Text(TextKey::CertValidity, 1)), std::string::npos) << e;
    EXPECT_NE(e.find("--trust-server " + fingerprint), std::string::npos) << e;
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists(home / "scan.csv"));
}

TEST_F(CliTrust, TrustServerTrustsExactlyThatCertificateAndRemembersIt) {
    // Another fingerprint trusts nothing.
    std::string wrong = fingerprint;
    wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
    EXPECT_EQ(Run({"--trust-server", wrong}), kCliUntrusted);
    EXPECT_NE(err.str().find(Text(TextKey::CliTrustMismatch, 1) + wrong), std::string::npos);

    std::string typed = Lower(fingerprint);
    typed.erase(std::remove(typed.begin(), typed.end(), ':'), typed.end());
    ASSERT_EQ(Run({"--trust-server", typed}), kCliDone) << err.str();
    EXPECT_TRUE(std::filesystem::exists(home / "scan.csv"));
    // Remembered: the next run needs no flag.
    EXPECT_EQ(Run({}), kCliDone) << err.str();
    EXPECT_EQ(Run({"--trust-server", "12:34"}), kCliBadArguments);
}

TEST_F(CliTrust, ChangedCertificateGetsItsOwnMessage) {
    TrustDemoServer(*server);
    ASSERT_EQ(Run({}), kCliDone) << err.str();
    const std::string before = fingerprint;
    DemoServerOptions options = server->Options();
    server->Stop();
    server = StartUntrustedDemoServer(options);  // the same URL, another certificate
    ASSERT_TRUE(server);
    const std::string now = FingerprintText(ServerCertificate(*server).fingerprint);
    EXPECT_EQ(Run({}), kCliUntrusted);
    const std::string e = err.str();
    EXPECT_NE(e.find(Text(TextKey::CliServerChanged, 1)), std::string::npos) << e;
    EXPECT_NE(e.find(Text(TextKey::CertPreviousFingerprint, 1) + before), std::string::npos) << e;
    EXPECT_NE(e.find(now), std::string::npos) << e;
    // Naming the new one is accepting the change; the old trust goes.
    ASSERT_EQ(Run({"--trust-server", now}), kCliDone) << err.str();
    EXPECT_EQ(Run({}), kCliDone);
}

TEST_F(CliTrust, ServerRefusingThisClientIsToldWhereItsCertificateIs) {
    TrustDemoServer(*server);
    // This server trusts no client certificate at all.
    UA_CertificateVerification& pki = UA_Server_getConfig(server->Server())->secureChannelPKI;
    pki.verifyCertificate = [](const UA_CertificateVerification*, const UA_ByteString*) {
        return UA_STATUSCODE_BADCERTIFICATEUNTRUSTED;
    };
    EXPECT_EQ(Run({}), kCliConnectFailed);
    const std::string path = IdentityCertificatePath(PkiRoot()).string();
    EXPECT_NE(err.str().find(Text(TextKey::ClientCertificateRefused, 1) + path), std::string::npos)
        << err.str();
    language = 0;
    EXPECT_EQ(FailureMessage(ConnectOutcome::ClientCertificateRefused),
              Text(TextKey::ClientCertificateRefused, 0) + path);
}

// Each installation (home) its own certificate, the same on every run; export writes it.
TEST(CliCertificate, ShowAndExportPerInstallation) {
    const auto first = UseFreshHome();
    const auto second = UseFreshHome();
    int status = 0;
    const std::string shown = RunProgram(first, "--show-certificate --lang en", &status);
    ASSERT_EQ(status, 0) << shown;
    const auto certificate = first / ".local/share/quorvane/pki/own/quorvane_cert.der";
    EXPECT_NE(shown.find(certificate.string()), std::string::npos) << shown;
    EXPECT_NE(shown.find(ClientApplicationUri()), std::string::npos) << shown;
    const auto der = ReadSmallFile(certificate);
    ASSERT_TRUE(der);
    EXPECT_EQ(FingerprintLine(shown),
              Text(TextKey::CertFingerprint, 1) + FingerprintText(Sha256Of(*der)));
    EXPECT_EQ(FingerprintLine(RunProgram(first, "--show-certificate --lang en", &status)),
              FingerprintLine(shown));
    const std::string other = RunProgram(second, "--show-certificate --lang en", &status);
    EXPECT_NE(FingerprintLine(other), FingerprintLine(shown));
    EXPECT_FALSE(FingerprintLine(other).empty());

    RunProgram(first, "--export-certificate '" + (first / "out.der").string() + "'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadSmallFile(first / "out.der"), der);
    RunProgram(first, "--export-certificate '" + (first / "out.pem").string() + "'", &status);
    const auto pem = ReadSmallFile(first / "out.pem");
    ASSERT_TRUE(pem);
    EXPECT_EQ(std::string(pem->begin(), pem->begin() + 27), "-----BEGIN CERTIFICATE-----");
    RunProgram(first, "--export-certificate /nonexistent/dir/out.der", &status);
    EXPECT_EQ(status, kCliExportFailed);

    // No certificate to be had at all is not a failed export: a code of its own.
    const auto broken = UseFreshHome();
    std::filesystem::create_directories(broken / ".local/share/quorvane/pki");
    std::ofstream(broken / ".local/share/quorvane/pki/own") << "in the way";
    const std::string refused = RunProgram(broken, "--show-certificate --lang en", &status);
    EXPECT_EQ(status, kCliIdentityFailed) << refused;
}

// A connect whose channel needs this installation's own certificate, when that cannot be made,
// ends as the certificate commands do: the fault is here, and nothing went to the server.
TEST_F(CliTrust, AnOwnCertificateThatCannotBeMadeEndsAConnectWithSeven) {
    TrustDemoServer(*server);
    std::ofstream(PkiRoot() / "own") << "in the way";
    const std::size_t sessions = UA_Server_getStatistics(server->Server()).ss.cumulatedSessionCount;
    EXPECT_EQ(Run({}), kCliIdentityFailed) << err.str();
    EXPECT_NE(err.str(), "");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists(home / "scan.csv"));
    EXPECT_EQ(UA_Server_getStatistics(server->Server()).ss.cumulatedSessionCount, sessions);
    // A failure of the server itself keeps its own code.
    EXPECT_EQ(Run({"--url", "opc.tcp://127.0.0.1:1"}), kCliConnectFailed) << err.str();

    std::filesystem::remove(PkiRoot() / "own");
    EXPECT_EQ(Run({}), kCliDone) << err.str();
}

// The key is made at run time and lives only in the user's files, never in the program.
TEST(CliCertificate, NoPrivateKeyInTheProgram) {
    const auto home = UseFreshHome();
    int status = 0;
    RunProgram(home, "--show-certificate", &status);
    ASSERT_EQ(status, 0);
    const auto key = ReadSmallFile(home / ".local/share/quorvane/pki/own/quorvane_key.der");
    ASSERT_TRUE(key);
    ASSERT_GT(key->size(), 1000u);
    const auto program = ReadSmallFile(QUORVANE_BINARY);
    std::vector<std::uint8_t> binary;
    if (program) {
        binary = *program;
    } else {  // larger than the small-file limit
        std::ifstream in(QUORVANE_BINARY, std::ios::binary);
        binary.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(binary.size(), 100000u);
    // Any 64 bytes of this key, and the start every PKCS#1 RSA 2048 key has.
    for (std::size_t at : {std::size_t{0}, key->size() / 2, key->size() - 64}) {
        const auto piece = std::span(*key).subspan(at, 64);
        EXPECT_EQ(std::search(binary.begin(), binary.end(), piece.begin(), piece.end()),
                  binary.end())
            << at;
    }
    const std::uint8_t keyStart[] = {0x02, 0x01, 0x00, 0x02, 0x82, 0x01, 0x01, 0x00};
    EXPECT_EQ(std::search(binary.begin(), binary.end(), std::begin(keyStart), std::end(keyStart)),
              binary.end());
}

// Another local user who can write into the trust store or the identity folder could plant a
// certificate or a key: the run stops before any session, says where and how to fix it.
TEST_F(CliTrust, AStoreOthersCouldChangeIsRefusedBeforeAnySession) {
    TrustDemoServer(*server);
    ASSERT_EQ(Run({}), kCliDone) << err.str();
    std::filesystem::remove(home / "scan.csv");
    const std::size_t sessions = UA_Server_getStatistics(server->Server()).ss.cumulatedSessionCount;
    for (const char* folder : {"trusted", "own"}) {
        const std::filesystem::path spoiled = PkiRoot() / folder;
        ASSERT_EQ(::chmod(spoiled.c_str(), 0777), 0);
        EXPECT_EQ(Run({}), kCliUntrusted) << folder;
        EXPECT_EQ(err.str(), "refused to use the certificate store: " + spoiled.string() +
                                 " is writable by group or others (run chmod go-w on it)\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_FALSE(std::filesystem::exists(home / "scan.csv"));
        ::chmod(spoiled.c_str(), 0700);
    }
    EXPECT_EQ(UA_Server_getStatistics(server->Server()).ss.cumulatedSessionCount, sessions);
    EXPECT_EQ(Run({}), kCliDone) << "fixed as the message says";
}
