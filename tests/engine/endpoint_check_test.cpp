// The endpoint list a connect chose from, confirmed inside the channel before any session: the
// comparison itself, and connects through a relay that rewrites what it can read.
#include "engine/endpoint_check.h"

#include <gtest/gtest.h>
#include <open62541/client.h>
#include <open62541/server.h>

#include <string>
#include <vector>

#include "engine/certificate_facts.h"
#include "engine/opcua_browser.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"
#include "tools/relay/delay_relay.h"

namespace {

const char* const kNone = "http://opcfoundation.org/UA/SecurityPolicy#None";
const char* const kSha256 = "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256";

struct Token {
    UA_UserTokenType type;
    const char* policyId;
    const char* securityPolicy;  // "" for the channel's
};

struct Spec {
    const char* url;
    const char* policy;
    UA_MessageSecurityMode mode;
    const char* certificate;
    UA_Byte level;
    std::vector<Token> tokens;
    const char* applicationUri = "urn:server";
    const char* applicationName = "Server";
};

// Owns a list of endpoint descriptions made from specs.
class List {
public:
    explicit List(const std::vector<Spec>& specs) : items(specs.size()) {
        for (std::size_t i = 0; i < specs.size(); ++i) Fill(items[i], specs[i]);
    }
    ~List() {
        for (auto& e : items) UA_EndpointDescription_clear(&e);
    }
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    std::span<const UA_EndpointDescription> View() const { return items; }

private:
    static void Fill(UA_EndpointDescription& e, const Spec& s) {
        UA_EndpointDescription_init(&e);
        e.endpointUrl = UA_STRING_ALLOC(s.url);
        e.securityPolicyUri = UA_STRING_ALLOC(s.policy);
        e.securityMode = s.mode;
        e.serverCertificate = UA_BYTESTRING_ALLOC(s.certificate);
        e.securityLevel = s.level;
        e.server.applicationUri = UA_STRING_ALLOC(s.applicationUri);
        e.server.applicationName = UA_LOCALIZEDTEXT_ALLOC("en", s.applicationName);
        e.userIdentityTokensSize = s.tokens.size();
        e.userIdentityTokens = static_cast<UA_UserTokenPolicy*>(
            UA_Array_new(s.tokens.size(), &UA_TYPES[UA_TYPES_USERTOKENPOLICY]));
        for (std::size_t i = 0; i < s.tokens.size(); ++i) {
            e.userIdentityTokens[i].tokenType = s.tokens[i].type;
            e.userIdentityTokens[i].policyId = UA_STRING_ALLOC(s.tokens[i].policyId);
            e.userIdentityTokens[i].securityPolicyUri = UA_STRING_ALLOC(s.tokens[i].securityPolicy);
        }
    }
    std::vector<UA_EndpointDescription> items;
};

const Token kAnonymous{UA_USERTOKENTYPE_ANONYMOUS, "anonymous", ""};
const Token kPassword{UA_USERTOKENTYPE_USERNAME, "username", kSha256};

Spec Plain(const char* url = "opc.tcp://127.0.0.1:4840") {
    return {url, kNone, UA_MESSAGESECURITYMODE_NONE, "CERT", 1, {kAnonymous, kPassword}};
}
Spec Secure(const char* url = "opc.tcp://127.0.0.1:4840") {
    return {url, kSha256, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, "CERT", 3, {kPassword}};
}

struct Case {
    const char* name;
    std::vector<Spec> listed;
    std::vector<Spec> inChannel;
    EndpointChange expected;
};

std::vector<Case> Cases() {
    Spec otherCert = Secure();
    otherCert.certificate = "FAKE";
    Spec plainPassword = Secure();
    plainPassword.tokens = {{UA_USERTOKENTYPE_USERNAME, "username", kNone}};
    Spec channelPassword = Secure();
    channelPassword.tokens = {{UA_USERTOKENTYPE_USERNAME, "username", ""}};
    Spec raisedLevel = Plain();
    raisedLevel.level = 200;
    Spec otherServer = Secure();
    otherServer.applicationUri = "urn:impostor";
    Spec renamed = Secure();
    renamed.applicationName = "Server (another locale)";
    Spec sign = Secure();
    sign.mode = UA_MESSAGESECURITYMODE_SIGN;
    return {
        {"same", {Plain(), Secure()}, {Plain(), Secure()}, EndpointChange::None},
        {"other order", {Secure(), Plain()}, {Plain(), Secure()}, EndpointChange::None},
        // The server names itself by host name where the client used an address.
        {"host name for address",
         {Plain(), Secure()},
         {Plain("opc.tcp://plc-7:4840"), Secure("opc.tcp://plc-7:4840")},
         EndpointChange::None},
        {"one pair under two URLs",
         {Plain(), Secure(), Secure("opc.tcp://plc-7:4840")},
         {Plain(), Secure()},
         EndpointChange::None},
        {"application name in another language", {Secure()}, {renamed}, EndpointChange::None},
        {"empty token policy is the channel's",
         {Secure()},
         {channelPassword},
         EndpointChange::None},
        {"secure endpoints dropped", {Plain()}, {Plain(), Secure()}, EndpointChange::Withheld},
        {"sign only left", {sign}, {sign, Secure()}, EndpointChange::Withheld},
        {"endpoint made up",
         {Plain(), Secure(), sign},
         {Plain(), Secure()},
         EndpointChange::Invented},
        {"certificate swapped",
         {Plain(), otherCert},
         {Plain(), Secure()},
         EndpointChange::Certificate},
        {"password left unprotected",
         {Plain(), plainPassword},
         {Plain(), Secure()},
         EndpointChange::UserTokens},
        {"sign-in kind removed",
         {Secure()},
         {[] {
             Spec both = Secure();
             both.tokens.push_back(kAnonymous);
             return both;
         }()},
         EndpointChange::UserTokens},
        {"security level raised",
         {raisedLevel, Secure()},
         {Plain(), Secure()},
         EndpointChange::SecurityLevel},
        {"another application", {otherServer}, {Secure()}, EndpointChange::Server},
        {"nothing listed at all", {}, {Plain()}, EndpointChange::Withheld},
    };
}

TEST(EndpointCheck, ComparesWhatTheChoiceDependsOn) {
    for (const Case& c : Cases()) {
        const List listed(c.listed);
        const List inChannel(c.inChannel);
        EXPECT_EQ(CompareEndpoints(listed.View(), inChannel.View()), c.expected) << c.name;
    }
}

// Sessions the server ever created: none means no ActivateSession and no password either.
std::uint32_t SessionsCreated(DemoServer& server) {
    UA_Variant v;
    UA_Variant_init(&v);
    const UA_NodeId id = UA_NODEID_NUMERIC(
        0, UA_NS0ID_SERVER_SERVERDIAGNOSTICS_SERVERDIAGNOSTICSSUMMARY_CUMULATEDSESSIONCOUNT);
    std::uint32_t count = 9999;
    if (UA_Server_readValue(server.Server(), id, &v) == UA_STATUSCODE_GOOD &&
        UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_UINT32]))
        count = *static_cast<UA_UInt32*>(v.data);
    UA_Variant_clear(&v);
    return count;
}

ConnectionSettings PasswordSignIn(const std::string& url) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = 2;
    s.userName = "operator";
    s.password = "secret";
    s.allowPlainPassword = true;
    s.timeoutSeconds = 5;
    return s;
}

DemoServerOptions WithUser(bool secure) {
    DemoServerOptions options;
    options.secure = secure;
    options.users = {{"operator", "secret"}};
    return options;
}

struct Relayed {
    std::unique_ptr<DemoServer> server;
    std::unique_ptr<DelayRelay> relay;
};

Relayed Through(DemoServerOptions options) {
    Relayed r{StartDemoServer(std::move(options)), nullptr};
    if (!r.server) return r;
    r.relay =
        std::make_unique<DelayRelay>("127.0.0.1", r.server->Port(), std::chrono::microseconds(0));
    if (!r.relay->Start()) r.relay.reset();
    return r;
}

// An honest relay changes the URL the client uses, not the server's answers: no alarm, with
// every kind of sign-in the check applies to, on a plain, a secure and a discovery server.
TEST(EndpointCheck, NoAlarmWithoutRewriting) {
    struct Server {
        const char* name;
        DemoServerOptions options;
    };
    DemoServerOptions lds = WithUser(false);
    lds.lds = true;
    for (const Server& kind :
         {Server{"plain", WithUser(false)}, Server{"secure", WithUser(true)}, Server{"lds", lds}}) {
        const Relayed r = Through(kind.options);
        ASSERT_TRUE(r.server && r.relay) << kind.name;
        PointList list;
        OPCUABrowser engine(&list);
        ConnectionSettings signIn = PasswordSignIn(r.relay->Url());
        EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::Connected) << kind.name;
        if (!kind.options.secure) continue;
        signIn.authKind = 3;  // this installation's own certificate, strongest endpoint
        EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::Connected) << kind.name;
        signIn.authKind = 1;
        signIn.securityPolicy = "Basic256Sha256";
        signIn.securityMode = "Sign";
        EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::Connected) << kind.name;
    }
}

// The secure endpoints vanish from the list the client chose from; inside the channel the server
// still offers them. Refused before CreateSession: the password never left.
TEST(EndpointCheck, DroppedSecureEndpointsRefuseTheConnect) {
    const Relayed r = Through(WithUser(true));
    ASSERT_TRUE(r.server && r.relay);
    EndpointRewrite rewrite;
    rewrite.dropSecure = true;
    rewrite.firstConnectionOnly = true;
    r.relay->RewriteEndpoints(rewrite);
    PointList list;
    OPCUABrowser engine(&list);
    EXPECT_EQ(engine.Connect(PasswordSignIn(r.relay->Url())), ConnectOutcome::EndpointsChanged);
    EXPECT_GE(r.relay->RewrittenResponses(), 1u);
    EXPECT_FALSE(engine.HasSession());
    EXPECT_FALSE(engine.LastChannelUnsecured());
    EXPECT_EQ(SessionsCreated(*r.server), 0u);
}

// The relay rewrites every list it can read, so also the one inside a channel without security,
// but not the one inside the secure channel the sign-in chose: that one gives it away.
TEST(EndpointCheck, RewriteSeenFromInsideASecureChannel) {
    const Relayed r = Through(WithUser(true));
    ASSERT_TRUE(r.server && r.relay);
    EndpointRewrite rewrite;
    rewrite.plainPasswords = true;
    r.relay->RewriteEndpoints(rewrite);
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings signIn = PasswordSignIn(r.relay->Url());
    signIn.securityPolicy = "Basic256Sha256";
    signIn.securityMode = "Sign";
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::EndpointsChanged);
    EXPECT_GE(r.relay->RewrittenResponses(), 1u);
    EXPECT_EQ(SessionsCreated(*r.server), 0u);
    // The strongest endpoint, policy and mode left open, the same.
    signIn.securityPolicy.clear();
    signIn.securityMode.clear();
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::EndpointsChanged);
    EXPECT_EQ(SessionsCreated(*r.server), 0u);
}

// A certificate put into the first list (accepted by the user, as a hurried one would) differs
// from the one the server gives inside the channel.
TEST(EndpointCheck, SwappedCertificateRefusesTheConnect) {
    const Relayed r = Through(WithUser(false));
    ASSERT_TRUE(r.server && r.relay);
    EndpointRewrite rewrite;
    rewrite.certificate = TestClientPair().certificate;
    rewrite.firstConnectionOnly = true;
    r.relay->RewriteEndpoints(rewrite);
    ConnectionSettings signIn = PasswordSignIn(r.relay->Url());
    const auto fake = ReadCertificateFacts(rewrite.certificate);
    ASSERT_TRUE(fake);
    signIn.acceptedServerCertificates = {FingerprintText(fake->fingerprint)};
    PointList list;
    OPCUABrowser engine(&list);
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::EndpointsChanged);
    EXPECT_EQ(SessionsCreated(*r.server), 0u);
    // Without the rewrite the same settings connect.
    r.relay->RewriteEndpoints({});
    signIn.acceptedServerCertificates.clear();
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::Connected);
}

// Where both lists travel without security a relay that rewrites them alike goes unseen: the
// check cannot tell. What is left holds: the password is not sent in clear unless allowed, and
// a connect that is allowed to says it is unsecured, for the caller to warn.
TEST(EndpointCheck, ConsistentRewriteWithoutSecurityIsSaidUnsecured) {
    const Relayed r = Through(WithUser(true));
    ASSERT_TRUE(r.server && r.relay);
    EndpointRewrite rewrite;
    rewrite.dropSecure = true;
    r.relay->RewriteEndpoints(rewrite);
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings signIn = PasswordSignIn(r.relay->Url());
    signIn.allowPlainPassword = false;
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::PlainPasswordRefused);
    EXPECT_EQ(SessionsCreated(*r.server), 0u);
    signIn.allowPlainPassword = true;
    EXPECT_EQ(engine.Connect(signIn), ConnectOutcome::Connected);
    EXPECT_GE(r.relay->RewrittenResponses(), 2u);
    EXPECT_TRUE(engine.LastChannelUnsecured());
}

}  // namespace
