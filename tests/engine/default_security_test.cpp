// A sign-in that leaves policy and mode open takes the strongest secure endpoint the server
// offers, and the endpoint without security only when there is nothing else, saying so.
#include <gtest/gtest.h>
#include <open62541/client.h>

#include <string>

#include "engine/opcua_browser.h"
#include "tests/support/demo_server_fixture.h"

namespace {

std::string Text(const UA_String& s) { return {reinterpret_cast<const char*>(s.data), s.length}; }

ConnectionSettings OpenChoice(const std::string& url, int authKind) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = authKind;
    s.userName = "operator";
    s.password = "secret";
    s.allowPlainPassword = true;
    s.timeoutSeconds = 5;
    // Certificate sign-in with this installation's pair is asked for by giving none.
    return s;
}

TEST(DefaultSecurity, SignInTakesTheStrongestSecureEndpoint) {
    DemoServerOptions options;
    options.secure = true;
    options.users = {{"operator", "secret"}};
    const auto server = StartDemoServer(options);  // its certificate trusted
    ASSERT_TRUE(server);
    PointList list;
    OPCUABrowser engine(&list);
    ASSERT_EQ(engine.Connect(OpenChoice(server->Url(), 2)), ConnectOutcome::Connected);
    const UA_EndpointDescription& used = UA_Client_getConfig(engine.Client())->endpoint;
    EXPECT_EQ(used.securityMode, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
    EXPECT_EQ(Text(used.securityPolicyUri),
              "http://opcfoundation.org/UA/SecurityPolicy#Aes256_Sha256_RsaPss");
    EXPECT_FALSE(engine.LastChannelUnsecured());
}

TEST(DefaultSecurity, NoneOnlyWhenNothingElseIsOfferedAndThenSaid) {
    DemoServerOptions options;
    options.users = {{"operator", "secret"}};
    const auto server = StartDemoServer(options);
    ASSERT_TRUE(server);
    PointList list;
    OPCUABrowser engine(&list);
    ASSERT_EQ(engine.Connect(OpenChoice(server->Url(), 2)), ConnectOutcome::Connected);
    EXPECT_EQ(UA_Client_getConfig(engine.Client())->endpoint.securityMode,
              UA_MESSAGESECURITYMODE_NONE);
    EXPECT_TRUE(engine.LastChannelUnsecured());
    // None chosen: what was asked for, nothing to say.
    ConnectionSettings none = OpenChoice(server->Url(), 2);
    none.securityPolicy = "None";
    none.securityMode = "None";
    ASSERT_EQ(engine.Connect(none), ConnectOutcome::Connected);
    EXPECT_FALSE(engine.LastChannelUnsecured());
}

}  // namespace
