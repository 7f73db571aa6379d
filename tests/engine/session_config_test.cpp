#include "engine/session_config.h"

#include <gtest/gtest.h>
#include <open62541/client_config_default.h>
#include <open62541/plugin/securitypolicy.h>

#include <chrono>
#include <set>
#include <string>

#include "engine/certificate_pin.h"
#include "engine/opcua_browser.h"
#include "engine/ua_types.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"
#include "tests/support/test_trust.h"

namespace {

const std::string kPolicyPrefix = "http://opcfoundation.org/UA/SecurityPolicy#";

std::set<std::string> PolicyNames(const UA_SecurityPolicy* policies, size_t count) {
    std::set<std::string> names;
    for (size_t i = 0; i < count; ++i) {
        const UA_String& uri = policies[i].policyUri;
        names.insert(std::string(reinterpret_cast<const char*>(uri.data), uri.length)
                         .substr(kPolicyPrefix.size()));
    }
    return names;
}

std::string Text(const UA_String& s) {
    return std::string(reinterpret_cast<const char*>(s.data), s.length);
}

// A certificate and key of the test's own, as a connect loads this installation's pair.
struct BuiltInPair {
    UaByteString certificate = ByteStringOf(TestClientPair().certificate);
    UaByteString key = ByteStringOf(TestClientPair().privateKey);
};

// A fresh client configured as a signed-in connect would configure it.
struct ConfiguredClient {
    UaClientPtr client{UA_Client_new()};
    UA_ClientConfig& config = *UA_Client_getConfig(client.get());

    ConfiguredClient(const UA_ByteString& certificate, const UA_ByteString& key,
                     const std::string& policy = "Basic256Sha256",
                     const std::string& mode = "Sign & Encrypt") {
        ConfigureSecurity(config, certificate, key, policy, mode, TestClientPair().applicationUri);
    }
};

double SecondsToConnect(const std::string& url, int timeoutSeconds, int* result) {
    PointList list;
    OPCUABrowser engine(&list);
    const auto start = std::chrono::steady_clock::now();
    *result = engine.ConnectAnonymous(url, timeoutSeconds);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// --- Names and timeouts -----------------------------------------------------------------------

TEST(SessionConfig, ModeNamesMatchExactly) {
    EXPECT_EQ(SecurityModeFromName("None"), UA_MESSAGESECURITYMODE_NONE);
    EXPECT_EQ(SecurityModeFromName("Sign"), UA_MESSAGESECURITYMODE_SIGN);
    EXPECT_EQ(SecurityModeFromName("Sign & Encrypt"), UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
    for (const char* other : {"sign", "SIGN", "Sign ", "Sign&Encrypt", "SignAndEncrypt", ""})
        EXPECT_EQ(SecurityModeFromName(other), UA_MESSAGESECURITYMODE_INVALID) << other;
}

TEST(SessionConfig, TimeoutIsTheResponseTimeoutAndLifetimesAreTheirOwn) {
    UaClientPtr client(UA_Client_new());
    UA_ClientConfig& config = *UA_Client_getConfig(client.get());
    for (const auto& [seconds, expected] : {std::pair{5, 5000u}, {600, 600000u}, {10, 10000u}}) {
        ApplyTimeout(config, seconds);
        EXPECT_EQ(config.timeout, expected);
        // A channel as short as the timeout lapsed between refresh passes.
        EXPECT_EQ(config.secureChannelLifeTime, 600000u);
        EXPECT_EQ(config.requestedSessionTimeout, 3600000u);
    }
    ApplyTimeout(config, 10, SessionTiming{1500, 4000});
    EXPECT_EQ(config.timeout, 10000u);
    EXPECT_EQ(config.secureChannelLifeTime, 1500u);
    EXPECT_EQ(config.requestedSessionTimeout, 4000u);
}

TEST(SessionConfig, TimeoutAndTimingOutlastTheLibraryDefaultsOfAConnect) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    PointList list;
    OPCUABrowser engine(&list);
    engine.SetSessionTiming({120000, 900000});
    ASSERT_EQ(engine.ConnectCertificate(server->Url(), "", "", 7, "None", "None"), 0);
    const UA_ClientConfig& config = *UA_Client_getConfig(engine.Client());
    EXPECT_EQ(config.timeout, 7000u);
    EXPECT_EQ(config.secureChannelLifeTime, 120000u);
    EXPECT_EQ(config.requestedSessionTimeout, 900000u);
}

// --- Security configuration -------------------------------------------------------------------

TEST(SessionSecurity, BuiltInPairGivesEveryPolicyForChannelAndTokens) {
    const BuiltInPair pair;
    ConfiguredClient c(*pair.certificate, *pair.key, "Basic128Rsa15", "Sign");
    const std::set<std::string> wanted = {"Basic128Rsa15", "Basic256", "Basic256Sha256",
                                          "Aes128_Sha256_RsaOaep", "Aes256_Sha256_RsaPss"};
    const auto channel = PolicyNames(c.config.securityPolicies, c.config.securityPoliciesSize);
    const auto tokens =
        PolicyNames(c.config.authSecurityPolicies, c.config.authSecurityPoliciesSize);
    for (const std::string& name : wanted) {
        EXPECT_TRUE(channel.count(name)) << name;
        EXPECT_TRUE(tokens.count(name)) << name;
    }
    EXPECT_TRUE(channel.count("None"));
    // Each once: the library's own set is only topped up.
    EXPECT_EQ(channel.size(), c.config.securityPoliciesSize);
    EXPECT_EQ(Text(c.config.securityPolicyUri), kPolicyPrefix + "Basic128Rsa15");
    EXPECT_EQ(c.config.securityMode, UA_MESSAGESECURITYMODE_SIGN);
    EXPECT_EQ(Text(c.config.clientDescription.applicationUri), "urn:test-client:Quorvane");
}

TEST(SessionSecurity, NonePolicyCarriesTheCertificate) {
    const BuiltInPair pair;
    ConfiguredClient c(*pair.certificate, *pair.key);
    int nonePolicies = 0;
    for (size_t i = 0; i < c.config.securityPoliciesSize; ++i) {
        const UA_SecurityPolicy& policy = c.config.securityPolicies[i];
        if (Text(policy.policyUri) != kPolicyPrefix + "None") continue;
        ++nonePolicies;
        EXPECT_TRUE(UA_ByteString_equal(&policy.localCertificate, pair.certificate.get()));
    }
    EXPECT_EQ(nonePolicies, 1);
}

TEST(SessionSecurity, NoServerCertificateIsAcceptedUntilOneIsPinned) {
    const BuiltInPair pair;
    ConfiguredClient c(*pair.certificate, *pair.key);
    const UA_CertificateVerification& verification = c.config.certificateVerification;
    const auto other = GenerateIdentity("urn:other:Quorvane", "other");
    ASSERT_TRUE(other);
    const UaByteString otherDer = ByteStringOf(other->certificate);
    EXPECT_EQ(CheckPinnedCertificate(verification, *pair.certificate),
              UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    PinServerCertificate(c.config, TestClientPair().certificate);
    EXPECT_EQ(CheckPinnedCertificate(verification, *pair.certificate), UA_STATUSCODE_GOOD);
    EXPECT_EQ(CheckPinnedCertificate(verification, *otherDer),
              UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    // A chain counts by its leaf: the pinned one followed by another is still the pinned one,
    // the other followed by the pinned one is not.
    std::vector<std::uint8_t> chain = TestClientPair().certificate;
    chain.insert(chain.end(), other->certificate.begin(), other->certificate.end());
    EXPECT_EQ(CheckPinnedCertificate(verification, *ByteStringOf(chain)), UA_STATUSCODE_GOOD);
    std::vector<std::uint8_t> reversed = other->certificate;
    reversed.insert(reversed.end(), chain.begin(), chain.end());
    EXPECT_EQ(CheckPinnedCertificate(verification, *ByteStringOf(reversed)),
              UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    const UaByteString junk = ByteStringOf(std::vector<std::uint8_t>{0x30, 0x03, 1, 2, 3});
    EXPECT_EQ(CheckPinnedCertificate(verification, *junk), UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
}

TEST(SessionSecurity, NoCertificateLeavesOnlyNone) {
    const BuiltInPair pair;
    const UaByteString none;
    for (const UaByteString* key : {&none, &pair.key}) {
        SCOPED_TRACE(key == &none ? "no key" : "key alone");
        ConfiguredClient c(*none, **key);
        EXPECT_EQ(PolicyNames(c.config.securityPolicies, c.config.securityPoliciesSize),
                  std::set<std::string>{"None"});
        EXPECT_EQ(c.config.authSecurityPoliciesSize, 0u);
    }
}

// --- How long a connect may take --------------------------------------------------------------

TEST(ConnectTimeout, ClosedPortFailsWellWithinTheTimeout) {
    const std::string url = "opc.tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    int result = 0;
    const double seconds = SecondsToConnect(url, 10, &result);
    EXPECT_EQ(result, 1);
    EXPECT_LT(seconds, 5.0);
}

TEST(ConnectTimeout, SilentServerFailsAtTheTimeout) {
    SilentServer listener;
    ASSERT_TRUE(listener.Listening());
    int result = 0;
    const double seconds = SecondsToConnect(listener.Url(), 2, &result);
    EXPECT_EQ(result, 1);
    EXPECT_GT(seconds, 1.9);
    // The library notices the deadline on its next tick: at 2 s, on a busy machine at 3 s.
    EXPECT_LT(seconds, 3.25);
}
