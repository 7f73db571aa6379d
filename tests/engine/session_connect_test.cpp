#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "engine/opcua_browser.h"
#include "engine/password_token.h"
#include "engine/ua_types.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_trust.h"

using engine_test::SessionCount;
using engine_test::TempDir;

namespace {

const char* const kEncrypting[] = {"Basic128Rsa15", "Basic256", "Basic256Sha256",
                                   "Aes128_Sha256_RsaOaep", "Aes256_Sha256_RsaPss"};
const char* const kSecureModes[] = {"Sign", "Sign & Encrypt"};

// One secure server for the whole group: making its certificate is the slow part.
class SecureSignIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DemoServerOptions options;
        options.secure = true;
        options.users = {{"operator", "s3cret"}};
        server = StartDemoServer(options).release();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_NE(server, nullptr); }

    // The security the channel ended up with.
    static std::string PolicyOf(OPCUABrowser& engine) {
        UaVariant uri;
        UA_Client_getConnectionAttributeCopy(
            engine.Client(), UA_QUALIFIEDNAME(0, const_cast<char*>("securityPolicyUri")),
            uri.get());
        if (!UA_Variant_hasScalarType(uri.get(), &UA_TYPES[UA_TYPES_STRING])) return "?";
        const auto* text = static_cast<const UA_String*>(uri->data);
        const std::string full(reinterpret_cast<const char*>(text->data), text->length);
        return full.substr(full.find('#') + 1);
    }
    static UA_MessageSecurityMode ModeOf(OPCUABrowser& engine) {
        UaVariant mode;
        UA_Client_getConnectionAttributeCopy(
            engine.Client(), UA_QUALIFIEDNAME(0, const_cast<char*>("securityMode")), mode.get());
        if (!UA_Variant_hasScalarType(mode.get(), &UA_TYPES[UA_TYPES_MESSAGESECURITYMODE]))
            return UA_MESSAGESECURITYMODE_INVALID;
        return *static_cast<const UA_MessageSecurityMode*>(mode->data);
    }

    static DemoServer* server;
    PointList list;
    OPCUABrowser engine{&list};
};
DemoServer* SecureSignIn::server = nullptr;

}  // namespace

TEST_F(SecureSignIn, AnonymousUsesTheNoneEndpoint) {
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    EXPECT_TRUE(engine.HasSession());
    EXPECT_EQ(PolicyOf(engine), "None");
    EXPECT_EQ(SessionCount(*server), 1u);
}

// Both ways of signing in, over None and every encrypting policy in both secure modes; the
// channel ends up with the policy and mode asked for.
TEST_F(SecureSignIn, UserPasswordAndBuiltInCertificateOverEveryPolicyAndMode) {
    const auto connect = [&](bool certificate, const char* policy, const char* mode) {
        return certificate ? engine.ConnectCertificate(server->Url(), "", "", 10, policy, mode)
                           : engine.ConnectUserPassword(server->Url(), "operator", "s3cret", 10,
                                                        policy, mode);
    };
    // Over None this server takes a password only in clear, which has to be allowed first.
    engine.SetAllowPlainPassword(true);
    for (const bool certificate : {false, true}) {
        SCOPED_TRACE(certificate ? "certificate" : "user and password");
        EXPECT_EQ(connect(certificate, "None", "None"), 0);
        EXPECT_EQ(PolicyOf(engine), "None");
        for (const char* policy : kEncrypting) {
            for (const char* mode : kSecureModes) {
                SCOPED_TRACE(std::string(policy) + " / " + mode);
                ASSERT_EQ(connect(certificate, policy, mode), 0);
                EXPECT_EQ(PolicyOf(engine), policy);
                EXPECT_EQ(ModeOf(engine), std::string(mode) == "Sign"
                                              ? UA_MESSAGESECURITYMODE_SIGN
                                              : UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
            }
        }
    }
}

// Secure channels carry the password under an encrypting token policy. Over None this server
// offers only a token in clear: nothing is sent unless that was allowed.
TEST_F(SecureSignIn, PasswordIsEncryptedOrNotSentAtAll) {
    for (const char* mode : kSecureModes) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(engine.ConnectUserPassword(server->Url(), "operator", "s3cret", 10,
                                             "Basic256Sha256", mode),
                  0);
        const UA_ClientConfig& config = *UA_Client_getConfig(engine.Client());
        const UA_String& tokenPolicy =
            TokenSecurityPolicyUri(config.endpoint, config.userTokenPolicy);
        const std::string uri(reinterpret_cast<const char*>(tokenPolicy.data), tokenPolicy.length);
        EXPECT_EQ(config.userTokenPolicy.tokenType, UA_USERTOKENTYPE_USERNAME);
        EXPECT_EQ(uri, "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256");
    }

    const std::size_t sessionsBefore = SessionCount(*server);
    EXPECT_EQ(engine.ConnectUserPassword(server->Url(), "operator", "s3cret", 10, "None", "None"),
              1);
    EXPECT_TRUE(engine.PlainPasswordRefused());
    EXPECT_FALSE(engine.HasSession());
    EXPECT_TRUE(WaitFor([&] { return SessionCount(*server) == sessionsBefore - 1; }))
        << "the old session closes and no new one is created";
    engine.SetAllowPlainPassword(true);
    EXPECT_EQ(engine.ConnectUserPassword(server->Url(), "operator", "s3cret", 10, "None", "None"),
              0);
    EXPECT_FALSE(engine.PlainPasswordRefused());
}

TEST_F(SecureSignIn, WrongPasswordOrUnknownUserFails) {
    EXPECT_EQ(engine.ConnectUserPassword(server->Url(), "operator", "guess", 10, "Basic256Sha256",
                                         "Sign & Encrypt"),
              1);
    EXPECT_FALSE(engine.HasSession());
    engine.SetAllowPlainPassword(true);
    EXPECT_EQ(engine.ConnectUserPassword(server->Url(), "nobody", "s3cret", 10, "None", "None"), 1);
    EXPECT_FALSE(engine.HasSession());
}

TEST_F(SecureSignIn, CertificateAndKeyFromDerFiles) {
    TempDir dir;
    const std::string certificate = dir.Write("client.der", TestClientPair().certificate);
    const std::string key = dir.Write("client.key", TestClientPair().privateKey);
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), certificate, key, 10, "Basic256Sha256",
                                        "Sign & Encrypt"),
              0);
}

TEST_F(SecureSignIn, HalfAPairOfPathsMeansThisInstallationsPair) {
    // Were the missing file read, there would be no certificate and no encrypting policy.
    const std::string missing = "/nonexistent/quorvane/client.der";
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), missing, "", 10, "Basic256Sha256",
                                        "Sign & Encrypt"),
              0);
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), "", missing, 10, "Basic256Sha256", "Sign"),
              0);
}

TEST_F(SecureSignIn, UnreadableCertificateLeavesOnlyTheNonePolicy) {
    TempDir dir;
    const std::string key = dir.Write("client.key", TestClientPair().privateKey);
    const std::string missing = (dir.Path() / "absent.der").string();
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), missing, key, 10, "Basic256Sha256",
                                        "Sign & Encrypt"),
              1);
    EXPECT_FALSE(engine.HasSession());
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), missing, key, 10, "None", "None"), 0);
}

TEST_F(SecureSignIn, PolicyNamesTheServerLacksFail) {
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), "", "", 10, "Basic512", "Sign"), 1);
    EXPECT_EQ(engine.ConnectUserPassword(server->Url(), "operator", "s3cret", 10, "basic256sha256",
                                         "Sign"),
              1);
    // A policy with a mode it is not offered in.
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), "", "", 10, "Basic256Sha256", "None"), 1);
    EXPECT_FALSE(engine.HasSession());
}

// No policy name leaves the choice to the endpoints offered in the mode; the bare policy prefix
// once matched none of them.
TEST_F(SecureSignIn, NoPolicyNameTakesAnOfferedOneInTheMode) {
    ASSERT_EQ(engine.ConnectCertificate(server->Url(), "", "", 10, "", "Sign & Encrypt"), 0);
    EXPECT_NE(PolicyOf(engine), "None");
    EXPECT_EQ(ModeOf(engine), UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
}

TEST_F(SecureSignIn, UnknownModeNameLeavesTheModeOpen) {
    ASSERT_EQ(engine.ConnectCertificate(server->Url(), "", "", 10, "Basic256", "sign"), 0);
    EXPECT_EQ(PolicyOf(engine), "Basic256");
    EXPECT_NE(ModeOf(engine), UA_MESSAGESECURITYMODE_NONE);
}

// The library prompts on standard input for the password of a key it cannot parse; with
// a terminal-less program that would hang for ever.
TEST_F(SecureSignIn, GarbageKeyFailsInsteadOfAskingForAPassword) {
    TempDir dir;
    const unsigned char junk[] = "this is not a private key\n";
    const std::string key = dir.Write("junk.key", junk);
    const std::string certificate = dir.Write("client.der", TestClientPair().certificate);

    // Standard input that never delivers a byte, restored afterwards.
    int silent[2];
    ASSERT_EQ(pipe(silent), 0);
    const int savedStdin = dup(STDIN_FILENO);
    dup2(silent[0], STDIN_FILENO);
    std::clearerr(stdin);  // an end of file met earlier would otherwise stick

    std::atomic<int> result{-1};
    std::thread connect([&] {
        engine_test::LibraryLeaksIgnored keyCopy;
        result = engine.ConnectCertificate(server->Url(), certificate, key, 10, "Basic256Sha256",
                                           "Sign & Encrypt");
    });
    const bool returned = WaitFor([&] { return result != -1; }, std::chrono::seconds(15));
    if (!returned) (void)!write(silent[1], "\n", 1);  // release the prompt so the test ends
    connect.join();
    dup2(savedStdin, STDIN_FILENO);
    std::clearerr(stdin);
    close(savedStdin);
    close(silent[0]);
    close(silent[1]);

    ASSERT_TRUE(returned);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(engine.HasSession());
    // Without a usable key only the None endpoint is left.
    engine_test::LibraryLeaksIgnored keyCopy;
    EXPECT_EQ(engine.ConnectCertificate(server->Url(), certificate, key, 10, "None", "None"), 0);
}

// --- Teardown ---------------------------------------------------------------------------------

// A plain demo server and an engine without a session yet.
class SessionTeardown : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server); }

    std::unique_ptr<DemoServer> server = StartDemoServer();
    PointList list;
};

TEST_F(SessionTeardown, ConnectClosesTheOpenSessionFirstEvenWhenItFails) {
    OPCUABrowser engine(&list);
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    EXPECT_TRUE(WaitFor([&] { return SessionCount(*server) == 1; }));

    const std::string closedPort = "opc.tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EXPECT_EQ(engine.ConnectAnonymous(closedPort, 5), 1);
    EXPECT_FALSE(engine.HasSession());
    EXPECT_EQ(engine.Client(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return SessionCount(*server) == 0; }));
}

TEST_F(SessionTeardown, DisconnectIsHarmlessWithoutSessionAndTwice) {
    OPCUABrowser engine(&list);
    engine.Disconnect();
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    engine.Disconnect();
    EXPECT_FALSE(engine.HasSession());
    EXPECT_TRUE(WaitFor([&] { return SessionCount(*server) == 0; }));
    engine.Disconnect();
    EXPECT_FALSE(engine.HasSession());
    // The engine is as good as new.
    EXPECT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
}

TEST_F(SessionTeardown, DestroyingAConnectedEngineClosesItsSession) {
    {
        OPCUABrowser engine(&list);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
        ASSERT_TRUE(WaitFor([&] { return SessionCount(*server) == 1; }));
    }
    EXPECT_TRUE(WaitFor([&] { return SessionCount(*server) == 0; }));
}
