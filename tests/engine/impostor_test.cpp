#include <gtest/gtest.h>
#include <open62541/plugin/accesscontrol.h>
#include <open62541/server.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/opcua_browser.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"

// A server the user trusts, then another certificate at the same address: the connect stops
// before any session is activated there, so no password reaches it.

namespace {

// What a server's sign-in check received; it wraps the server's own check.
struct Received {
    std::atomic<int> activations{0};
    std::mutex mutex;
    std::vector<std::string> userNames;
    UA_StatusCode (*original)(UA_Server*, UA_AccessControl*, const UA_EndpointDescription*,
                              const UA_ByteString*, const UA_NodeId*, const UA_ExtensionObject*,
                              void**) = nullptr;
};
Received* received = nullptr;

UA_StatusCode RecordActivation(UA_Server* server, UA_AccessControl* ac,
                               const UA_EndpointDescription* endpoint,
                               const UA_ByteString* remoteCertificate, const UA_NodeId* sessionId,
                               const UA_ExtensionObject* token, void** sessionContext) {
    ++received->activations;
    if (token->content.decoded.type == &UA_TYPES[UA_TYPES_USERNAMEIDENTITYTOKEN]) {
        const auto* t = static_cast<const UA_UserNameIdentityToken*>(token->content.decoded.data);
        std::lock_guard<std::mutex> lock(received->mutex);
        received->userNames.emplace_back(reinterpret_cast<const char*>(t->userName.data),
                                         t->userName.length);
    }
    return received->original(server, ac, endpoint, remoteCertificate, sessionId, token,
                              sessionContext);
}

void Record(DemoServer& server, Received& into) {
    UA_ServerConfig* config = UA_Server_getConfig(server.Server());
    received = &into;
    into.original = config->accessControl.activateSession;
    config->accessControl.activateSession = RecordActivation;
}

// The password on a None endpoint encrypted with the server's certificate, as careful servers
// offer it (the server then announces an encrypting token policy there): only that certificate
// stands between the password and whoever holds its key.
void EncryptPasswordsOnNone(DemoServer& server) {
    UA_Server_getConfig(server.Server())->allowNonePolicyPassword = false;
}

ConnectionSettings Password(const std::string& url, const char* policy, const char* mode) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = 2;
    s.userName = "alice";
    s.password = "plant-secret";
    s.securityPolicy = policy;
    s.securityMode = mode;
    s.timeoutSeconds = 10;
    return s;
}

class Impostor : public ::testing::Test {
protected:
    void SetUp() override {
        UseFreshHome();
        DemoServerOptions options;
        options.secure = true;
        options.users = {{"alice", "plant-secret"}};
        genuine = StartDemoServer(options);  // trusted in this home
        ASSERT_TRUE(genuine);
        url = genuine->Url();
        genuineCertificate = ServerCertificate(*genuine);
        options.port = genuine->Port();
        genuine->Stop();
        impostor = StartUntrustedDemoServer(options);
        ASSERT_TRUE(impostor);
        ASSERT_EQ(impostor->Url(), url);
        EncryptPasswordsOnNone(*impostor);
        Record(*impostor, atImpostor);
    }
    void TearDown() override {
        impostor.reset();
        received = nullptr;
    }

    std::unique_ptr<DemoServer> genuine, impostor;
    std::string url;
    CertificateFacts genuineCertificate;
    Received atImpostor;
};

}  // namespace

TEST_F(Impostor, NoPasswordLeavesOverAnyWayOfSendingIt) {
    struct Way {
        const char* policy;
        const char* mode;
    };
    for (const Way way : {Way{"Basic256Sha256", "Sign & Encrypt"}, Way{"Basic256Sha256", "Sign"},
                          Way{"None", "None"}}) {
        SCOPED_TRACE(way.mode);
        PointList list;
        OPCUABrowser engine(&list);
        EXPECT_EQ(engine.Connect(Password(url, way.policy, way.mode)),
                  ConnectOutcome::ServerCertificateChanged);
        EXPECT_FALSE(engine.HasSession());
        ASSERT_TRUE(engine.LastServerTrust());
        const ServerTrust& trust = *engine.LastServerTrust();
        EXPECT_EQ(trust.presented.fingerprint, ServerCertificate(*impostor).fingerprint);
        ASSERT_TRUE(trust.previous);
        EXPECT_EQ(trust.previous->fingerprint, genuineCertificate.fingerprint);
    }
    EXPECT_EQ(atImpostor.activations.load(), 0);
    EXPECT_TRUE(atImpostor.userNames.empty());
}

TEST_F(Impostor, CertificateSignInStopsToo) {
    PointList list;
    OPCUABrowser engine(&list);
    EXPECT_EQ(engine.ConnectCertificate(url, "", "", 10, "Basic256Sha256", "Sign & Encrypt"), 1);
    ASSERT_TRUE(engine.LastServerTrust());
    EXPECT_EQ(engine.LastServerTrust()->verdict, TrustVerdict::Changed);
    EXPECT_EQ(atImpostor.activations.load(), 0);
}

// The recording sees a sign-in when one happens: once the user accepts this certificate for
// the run, the same connects reach the server, the password with them.
TEST_F(Impostor, AcceptedForThisRunItGoesAheadAndIsSeen) {
    const std::string fingerprint = FingerprintText(ServerCertificate(*impostor).fingerprint);
    for (const char* mode : {"Sign & Encrypt", "None"}) {
        SCOPED_TRACE(mode);
        ConnectionSettings s =
            Password(url, std::string(mode) == "None" ? "None" : "Basic256Sha256", mode);
        s.acceptedServerCertificates = {fingerprint};
        PointList list;
        OPCUABrowser engine(&list);
        EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
    }
    EXPECT_EQ(atImpostor.activations.load(), 2);
    std::lock_guard<std::mutex> lock(atImpostor.mutex);
    EXPECT_EQ(atImpostor.userNames, (std::vector<std::string>{"alice", "alice"}));
}

TEST_F(Impostor, AnonymousWithoutSecurityNeedsNoDecision) {
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings s;
    s.url = url;
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
    EXPECT_FALSE(engine.LastServerTrust());
}
