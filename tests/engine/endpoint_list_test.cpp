#include "engine/endpoint_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>

#include "engine/connect_diagnosis.h"
#include "engine/opcua_browser.h"
#include "engine/option_rules.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::vector<EndpointInfo>& endpoints) {
    std::vector<std::string> lines;
    for (const auto& e : endpoints) lines.push_back(EndpointLine(e));
    return lines;
}

bool IsSortedByLevel(const std::vector<EndpointInfo>& endpoints) {
    return std::is_sorted(endpoints.begin(), endpoints.end(),
                          [](const auto& a, const auto& b) { return a.level > b.level; });
}

TEST(EndpointList, PlainServerOffersOnlyNone) {
    DemoServerOptions options;
    options.users = {{"alice", "pw"}};
    auto server = StartDemoServer(options);
    ASSERT_NE(server, nullptr);
    const EndpointListing listing = ListEndpoints(server->Url(), 5);
    ASSERT_EQ(listing.status, UA_STATUSCODE_GOOD);
    ASSERT_EQ(Lines(listing.endpoints),
              std::vector<std::string>{"None None anonymous,username level 0"});
    EXPECT_EQ(listing.endpoints[0].policyIndex, 0);
    EXPECT_EQ(listing.endpoints[0].modeIndex, 0);
}

TEST(EndpointList, SecureServerHighestLevelFirstWithEveryPolicyKnown) {
    DemoServerOptions options;
    options.secure = true;
    auto server = StartDemoServer(options);
    ASSERT_NE(server, nullptr);
    const EndpointListing listing = ListEndpoints(server->Url(), 5);
    ASSERT_EQ(listing.status, UA_STATUSCODE_GOOD);
    const auto lines = Lines(listing.endpoints);
    EXPECT_TRUE(IsSortedByLevel(listing.endpoints));
    // The demo server gives several the same level: the strongest protection leads among them.
    EXPECT_EQ(lines.front().rfind("Aes256_Sha256_RsaPss SignAndEncrypt anonymous", 0), 0u)
        << lines.front();
    for (const char* expected :
         {"None None anonymous", "Basic256Sha256 SignAndEncrypt anonymous",
          "Aes128_Sha256_RsaOaep SignAndEncrypt", "Aes256_Sha256_RsaPss Sign anonymous",
          "Basic128Rsa15 Sign anonymous"}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.rfind(expected, 0) == 0;
        })) << expected;
    }
    for (const EndpointInfo& e : listing.endpoints) EXPECT_GE(e.policyIndex, 0) << e.policy;
    // Each pair once; the pairs the failure text names come from the same list.
    EXPECT_EQ(OfferedPairs(listing.endpoints).find("None/None"),
              OfferedPairs(listing.endpoints).rfind("None/None"));
}

TEST(EndpointList, UnreachableServersSayWhy) {
    const auto closed = [] {
        auto server = StartDemoServer();
        const std::string url = server ? server->Url() : std::string();
        return url;  // stopped as it goes: nothing listens there now
    }();
    ASSERT_FALSE(closed.empty());
    const struct {
        std::string url;
        UnreachableCause cause;
    } cases[] = {{closed, UnreachableCause::ConnectionRefused},
                 {"opc.tcp://nosuchhost.invalid:4841", UnreachableCause::HostNotFound},
                 {"127.0.0.1:4840", UnreachableCause::BadUrl},
                 {"http://127.0.0.1:4840", UnreachableCause::BadUrl}};
    for (const auto& c : cases) {
        const EndpointListing listing = ListEndpoints(c.url, 5);
        EXPECT_NE(listing.status, UA_STATUSCODE_GOOD) << c.url;
        EXPECT_FALSE(listing.cancelled);
        EXPECT_EQ(listing.cause, c.cause) << c.url;
        EXPECT_TRUE(listing.endpoints.empty());
    }
}

TEST(EndpointList, SilentServerTimesOutAndCancelEndsTheWaitEarly) {
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    const auto started = std::chrono::steady_clock::now();
    const EndpointListing timedOut = ListEndpoints(silent.Url(), 5);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 4500ms);
    EXPECT_EQ(timedOut.cause, UnreachableCause::TimedOut);

    std::atomic<bool> cancel{false};
    const auto begun = std::chrono::steady_clock::now();
    auto listing =
        std::async(std::launch::async, [&] { return ListEndpoints(silent.Url(), 60, &cancel); });
    std::this_thread::sleep_for(100ms);
    cancel = true;
    ASSERT_EQ(listing.wait_for(2s), std::future_status::ready);
    const EndpointListing result = listing.get();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - begun, 2s);
}

TEST(EndpointList, DescriptionsMergeAndSort) {
    UA_EndpointDescription d[3];
    for (auto& e : d) UA_EndpointDescription_init(&e);
    UA_UserTokenPolicy anonymous, user;
    UA_UserTokenPolicy_init(&anonymous);
    UA_UserTokenPolicy_init(&user);
    anonymous.tokenType = UA_USERTOKENTYPE_ANONYMOUS;
    user.tokenType = UA_USERTOKENTYPE_USERNAME;
    d[0].securityPolicyUri = UA_STRING_STATIC("http://opcfoundation.org/UA/SecurityPolicy#None");
    d[0].securityMode = UA_MESSAGESECURITYMODE_NONE;
    d[0].securityLevel = 0;
    d[0].userIdentityTokens = &anonymous;
    d[0].userIdentityTokensSize = 1;
    d[1] = d[0];  // the same pair under a second host name, taking user names there
    d[1].userIdentityTokens = &user;
    d[2].securityPolicyUri = UA_STRING_STATIC("http://example.org/Policy#Future");
    d[2].securityMode = UA_MESSAGESECURITYMODE_SIGN;
    d[2].securityLevel = 9;
    const auto described = DescribeEndpoints(d);
    ASSERT_EQ(Lines(described), (std::vector<std::string>{"Future Sign none level 9",
                                                          "None None anonymous,username level 0"}));
    EXPECT_EQ(described[0].policyIndex, -1);
    EXPECT_EQ(OfferedPairs(described), "Future/Sign, None/None");

    // Equal levels: encrypting before signing before none, stronger policies first.
    UA_EndpointDescription same[4];
    const char* uris[] = {"http://opcfoundation.org/UA/SecurityPolicy#Basic256",
                          "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256",
                          "http://opcfoundation.org/UA/SecurityPolicy#Aes128_Sha256_RsaOaep",
                          "http://opcfoundation.org/UA/SecurityPolicy#None"};
    const UA_MessageSecurityMode modes[] = {
        UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, UA_MESSAGESECURITYMODE_SIGN,
        UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, UA_MESSAGESECURITYMODE_NONE};
    for (int i = 0; i < 4; ++i) {
        UA_EndpointDescription_init(&same[i]);
        same[i].securityPolicyUri = UA_STRING(const_cast<char*>(uris[i]));
        same[i].securityMode = modes[i];
        same[i].securityLevel = 1;
    }
    EXPECT_EQ(OfferedPairs(DescribeEndpoints(same)),
              "Aes128_Sha256_RsaOaep/SignAndEncrypt, Basic256/SignAndEncrypt, "
              "Basic256Sha256/Sign, None/None");
}

// A password that only RSA PKCS#1 v1.5 would protect is marked; one stronger policy beside it
// takes the mark away, as the sign-in would take that one.
TEST(EndpointList, APasswordOnlyRsa15ProtectsIsMarked) {
    UA_UserTokenPolicy tokens[2];
    for (auto& t : tokens) {
        UA_UserTokenPolicy_init(&t);
        t.tokenType = UA_USERTOKENTYPE_USERNAME;
    }
    tokens[0].securityPolicyUri =
        UA_STRING_STATIC("http://opcfoundation.org/UA/SecurityPolicy#Basic128Rsa15");
    tokens[1].securityPolicyUri =
        UA_STRING_STATIC("http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256");
    UA_EndpointDescription e;
    UA_EndpointDescription_init(&e);
    e.securityPolicyUri = UA_STRING_STATIC("http://opcfoundation.org/UA/SecurityPolicy#None");
    e.securityMode = UA_MESSAGESECURITYMODE_NONE;
    e.userIdentityTokens = tokens;
    e.userIdentityTokensSize = 1;
    EXPECT_EQ(Lines(DescribeEndpoints({&e, 1})),
              std::vector<std::string>{"None None username level 0 password-rsa15"});
    e.userIdentityTokensSize = 2;
    EXPECT_EQ(Lines(DescribeEndpoints({&e, 1})),
              std::vector<std::string>{"None None username level 0"});
}

TEST(OpcTcpUrl, OnlyOpcTcpWithHostAndValidPort) {
    const struct {
        const char* url;
        const char* host;  // null: refused
        const char* port;
    } cases[] = {
        {"opc.tcp://127.0.0.1:4840", "127.0.0.1", "4840"},
        {"OPC.TCP://plc01:4841/path/x", "plc01", "4841"},
        {"opc.tcp://plc01", "plc01", "4840"},
        {"opc.tcp://[::1]:4840", "::1", "4840"},
        {"opc.tcp://:4840", nullptr, nullptr},
        {"opc.tcp://host:", nullptr, nullptr},
        {"opc.tcp://host:0", nullptr, nullptr},
        {"opc.tcp://host:65536", nullptr, nullptr},
        {"opc.tcp://host:48a0", nullptr, nullptr},
        {"opc.tcp://[::1", nullptr, nullptr},
        {"opc.tcp://a b:4840", nullptr, nullptr},
        {"opc.http://host:4840", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseOpcTcpUrl(c.url);
        ASSERT_EQ(parsed.has_value(), c.host != nullptr) << c.url;
        if (!parsed) continue;
        EXPECT_EQ(parsed->host, c.host) << c.url;
        EXPECT_EQ(parsed->port, c.port) << c.url;
    }
}

TEST(EndpointChoice, SecureModeTakesTheStrongestOfferedPolicy) {
    const struct {
        std::vector<int> offered;
        int expected;
    } cases[] = {
        {{}, 3},   // nothing known: Basic256Sha256
        {{0}, 3},  // only None in that mode: still no secure policy to go by
        {{1, 2, 3}, 3}, {{1, 2}, 2}, {{3, 4}, 4}, {{5, 1, 4, 3}, 5}, {{1}, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PolicyAfterModeChoice(2, 0, c.offered), c.expected);
        EXPECT_EQ(PolicyAfterModeChoice(1, 2, c.offered), 2) << "a chosen policy stays";
        EXPECT_EQ(PolicyAfterModeChoice(0, 4, c.offered), 0);
    }
}

TEST(EndpointChoice, SignInKindsFollowTheTokens) {
    const struct {
        unsigned tokens;
        int mode;
        bool anonymous, user, certificate;
    } cases[] = {
        {kTokenAnonymous, 0, true, false, false},
        {kTokenAnonymous | kTokenUserName, 2, true, true, true},
        {kTokenUserName, 2, false, true, false},
        {kTokenCertificate, 1, false, false, false},
        {kTokenAnonymous, 1, true, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SignInAllowed(1, c.tokens, c.mode), c.anonymous) << c.tokens << "/" << c.mode;
        EXPECT_EQ(SignInAllowed(2, c.tokens, c.mode), c.user) << c.tokens << "/" << c.mode;
        EXPECT_EQ(SignInAllowed(3, c.tokens, c.mode), c.certificate) << c.tokens << "/" << c.mode;
    }
}

// The command line once left policy and mode empty: the empty name became a policy URI that
// matched no endpoint, no user-name token was found, and that was reported as a wrong password.
TEST(ConnectWithoutPolicy, UserSignInChoosesFromTheOfferedEndpoints) {
    DemoServerOptions options;
    options.users = {{"alice", "pw"}};
    auto server = StartDemoServer(options);
    ASSERT_NE(server, nullptr);
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings s;
    s.url = server->Url();
    s.authKind = 2;
    s.userName = "alice";
    s.password = "pw";
    s.allowPlainPassword = true;  // the plain server has nothing to encrypt with
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
}

TEST(ConnectDetailText, PolicyNotOfferedNamesWhatIs) {
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings s;
    s.url = server->Url();
    s.securityPolicy = "Basic256Sha256";
    s.securityMode = "Sign & Encrypt";
    s.authKind = 2;
    s.userName = "alice";
    s.password = "pw";
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::PolicyNotOffered);
    EXPECT_EQ(engine.LastConnectDetail().offered, "None/None");
}

TEST(ConnectDetailText, BadUrlFailsWithoutTheNetwork) {
    PointList list;
    OPCUABrowser engine(&list);
    ConnectionSettings s;
    s.url = "127.0.0.1:4840";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Unreachable);
    EXPECT_EQ(engine.LastConnectDetail().cause, UnreachableCause::BadUrl);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
}

}  // namespace
