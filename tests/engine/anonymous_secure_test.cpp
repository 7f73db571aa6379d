// Anonymous sign-in with a secure mode chosen opens that secure channel, with this
// installation's certificate and the server's checked, or fails saying what the server offers;
// it never drops to a channel without security.
#include <gtest/gtest.h>
#include <open62541/client.h>
#include <open62541/server.h>

#include <string>
#include <vector>

#include "engine/client_identity.h"
#include "engine/opcua_browser.h"
#include "engine/pki_files.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

namespace {

std::vector<std::uint8_t> seenClientCertificate;

// Records the certificate the client opened its channel with, and welcomes it.
UA_StatusCode RecordClient(const UA_CertificateVerification*, const UA_ByteString* certificate) {
    seenClientCertificate.assign(certificate->data, certificate->data + certificate->length);
    return UA_STATUSCODE_GOOD;
}

ConnectionSettings Anonymous(const std::string& url, const char* policy, const char* mode) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = 1;
    s.timeoutSeconds = 5;
    s.securityPolicy = policy;
    s.securityMode = mode;
    return s;
}

std::unique_ptr<DemoServer> SecureServer(bool trusted) {
    DemoServerOptions options;
    options.secure = true;
    return trusted ? StartDemoServer(options) : StartUntrustedDemoServer(options);
}

std::size_t Sessions(const DemoServer& server) {
    return UA_Server_getStatistics(server.Server()).ss.cumulatedSessionCount;
}

TEST(AnonymousSecure, OpensTheChosenChannelWithThisInstallationsCertificate) {
    const auto server = SecureServer(true);
    ASSERT_TRUE(server);
    UA_Server_getConfig(server->Server())->secureChannelPKI.verifyCertificate = RecordClient;
    PointList list;
    OPCUABrowser engine(&list);
    ASSERT_EQ(engine.Connect(Anonymous(server->Url(), "Basic256Sha256", "Sign & Encrypt")),
              ConnectOutcome::Connected);
    const UA_EndpointDescription& used = UA_Client_getConfig(engine.Client())->endpoint;
    EXPECT_EQ(used.securityMode, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(used.securityPolicyUri.data),
                          used.securityPolicyUri.length),
              "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256");
    EXPECT_EQ(seenClientCertificate, LoadOrCreateIdentity(PkiRoot())->certificate);
    // None/None stays what it was.
    ASSERT_EQ(engine.Connect(Anonymous(server->Url(), "None", "None")), ConnectOutcome::Connected);
    EXPECT_EQ(UA_Client_getConfig(engine.Client())->securityPoliciesSize, 1u) << "None alone";
}

TEST(AnonymousSecure, AnUntrustedServerGetsNoSession) {
    UseFreshHome();  // nothing trusted, not even another demo server's certificate
    const auto server = SecureServer(false);
    ASSERT_TRUE(server);
    const std::size_t before = Sessions(*server);
    PointList list;
    OPCUABrowser engine(&list);
    EXPECT_EQ(engine.Connect(Anonymous(server->Url(), "Basic256Sha256", "Sign & Encrypt")),
              ConnectOutcome::ServerCertificateUntrusted);
    EXPECT_TRUE(engine.LastServerTrust());
    EXPECT_FALSE(engine.HasSession());
    EXPECT_EQ(Sessions(*server), before);
}

TEST(AnonymousSecure, NoAnonymousTokenThereFailsWithTheOffers) {
    const auto server = SecureServer(true);
    ASSERT_TRUE(server);
    // Anonymous only over None: every secure endpoint gets the other sign-ins of its own.
    UA_ServerConfig* config = UA_Server_getConfig(server->Server());
    const UA_AccessControl& access = config->accessControl;
    for (std::size_t i = 0; i < config->endpointsSize; ++i) {
        UA_EndpointDescription& e = config->endpoints[i];
        if (e.securityMode == UA_MESSAGESECURITYMODE_NONE) continue;
        ASSERT_EQ(e.userIdentityTokensSize, 0u) << "the server's defaults fill these in";
        auto* own = static_cast<UA_UserTokenPolicy*>(
            UA_Array_new(access.userTokenPoliciesSize, &UA_TYPES[UA_TYPES_USERTOKENPOLICY]));
        std::size_t kept = 0;
        for (std::size_t j = 0; j < access.userTokenPoliciesSize; ++j) {
            if (access.userTokenPolicies[j].tokenType == UA_USERTOKENTYPE_ANONYMOUS) continue;
            UA_UserTokenPolicy_copy(&access.userTokenPolicies[j], &own[kept++]);
        }
        e.userIdentityTokens = own;
        e.userIdentityTokensSize = kept;
    }
    PointList list;
    OPCUABrowser engine(&list);
    EXPECT_EQ(engine.Connect(Anonymous(server->Url(), "Basic256Sha256", "Sign & Encrypt")),
              ConnectOutcome::AnonymousNotOffered);
    EXPECT_FALSE(engine.HasSession());
    language = 1;
    const std::string message =
        FailureMessage(ConnectOutcome::AnonymousNotOffered, engine.LastConnectDetail());
    language = 0;
    EXPECT_EQ(message.rfind("the server takes no anonymous sign-in with the chosen security "
                            "policy and mode (offered: ",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find("None/None anonymous"), std::string::npos) << message;
    EXPECT_NE(message.find("Basic256Sha256/SignAndEncrypt certificate"), std::string::npos)
        << message;
    // The server frees them with its configuration.
}

}  // namespace
