// Which user-name token policy a password sign-in takes, from endpoint lists built by hand.
#include "engine/password_token.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kPrefix = "http://opcfoundation.org/UA/SecurityPolicy#";

UA_String Uri(const std::string& text) {
    return {text.size(), reinterpret_cast<UA_Byte*>(const_cast<char*>(text.data()))};
}

// Texts and arrays the descriptions borrow; they live as long as the test.
struct Server {
    std::vector<std::string> texts = {kPrefix + "None", kPrefix + "Basic256Sha256",
                                      kPrefix + "Aes256_Sha256_RsaPss", ""};
    std::vector<std::vector<UA_UserTokenPolicy>> tokens;
    std::vector<UA_EndpointDescription> endpoints;

    const std::string& None() const { return texts[0]; }
    const std::string& Sha256() const { return texts[1]; }
    const std::string& Unknown() const { return texts[2]; }
    const std::string& Empty() const { return texts[3]; }

    // `id` is a literal: the policy borrows it.
    UA_UserTokenPolicy UserToken(const char* id, const std::string& policy) const {
        UA_UserTokenPolicy token;
        UA_UserTokenPolicy_init(&token);
        token.policyId = UA_STRING(const_cast<char*>(id));
        token.tokenType = UA_USERTOKENTYPE_USERNAME;
        token.securityPolicyUri = Uri(policy);
        return token;
    }
    void Endpoint(const std::string& policy, UA_MessageSecurityMode mode, UA_Byte level,
                  std::vector<UA_UserTokenPolicy> policies) {
        tokens.reserve(8);  // the descriptions point into these vectors
        tokens.push_back(std::move(policies));
        UA_EndpointDescription e;
        UA_EndpointDescription_init(&e);
        e.securityPolicyUri = Uri(policy);
        e.securityMode = mode;
        e.securityLevel = level;
        e.userIdentityTokens = tokens.back().data();
        e.userIdentityTokensSize = tokens.back().size();
        endpoints.push_back(e);
    }
};

// A configuration that has the None and Basic256Sha256 policies and nothing else set.
struct Client {
    std::vector<UA_SecurityPolicy> policies;
    UA_ClientConfig config{};
    explicit Client(const Server& server) : policies(2) {
        policies[0].policyUri = Uri(server.None());
        policies[1].policyUri = Uri(server.Sha256());
        config.securityPolicies = policies.data();
        config.securityPoliciesSize = policies.size();
    }
};

std::string PolicyId(const std::optional<PasswordToken>& token) {
    if (!token) return "none";
    return std::string(reinterpret_cast<const char*>(token->policy->policyId.data),
                       token->policy->policyId.length);
}

TEST(ChoosePasswordToken, PrefersAPolicyThatEncryptsThePassword) {
    Server s;
    // The None endpoint lists the plain policy first, as the library would take it.
    s.Endpoint(s.None(), UA_MESSAGESECURITYMODE_NONE, 0,
               {s.UserToken("user-plain", s.Empty()), s.UserToken("user-secure", s.Sha256())});
    Client c(s);
    c.config.securityPolicyUri = Uri(s.None());
    c.config.securityMode = UA_MESSAGESECURITYMODE_NONE;
    const auto token = ChoosePasswordToken(s.endpoints, c.config);
    EXPECT_EQ(PolicyId(token), "user-secure");
    ASSERT_TRUE(token);
    EXPECT_TRUE(token->encrypted);
}

TEST(ChoosePasswordToken, AnEmptyTokenPolicyTakesTheChannelsAndOnlyNoneIsPlain) {
    Server s;
    s.Endpoint(s.None(), UA_MESSAGESECURITYMODE_NONE, 0, {s.UserToken("user-plain", s.Empty())});
    s.Endpoint(s.Sha256(), UA_MESSAGESECURITYMODE_SIGN, 5, {s.UserToken("user-secure", s.Empty())});
    Client c(s);
    // Any policy and mode: the secure endpoint encrypts the token with its channel's policy.
    auto token = ChoosePasswordToken(s.endpoints, c.config);
    EXPECT_EQ(PolicyId(token), "user-secure");
    ASSERT_TRUE(token);
    EXPECT_EQ(token->endpoint, &s.endpoints[1]);
    EXPECT_TRUE(token->encrypted);
    // Held to None / None only the plain way is left; the caller decides whether to use it.
    c.config.securityPolicyUri = Uri(s.None());
    c.config.securityMode = UA_MESSAGESECURITYMODE_NONE;
    token = ChoosePasswordToken(s.endpoints, c.config);
    EXPECT_EQ(PolicyId(token), "user-plain");
    ASSERT_TRUE(token);
    EXPECT_FALSE(token->encrypted);
}

TEST(ChoosePasswordToken, PoliciesTheClientLacksAndOtherTokenTypesAreSkipped) {
    Server s;
    UA_UserTokenPolicy anonymous = s.UserToken("user-secure", s.Empty());
    anonymous.tokenType = UA_USERTOKENTYPE_ANONYMOUS;
    s.Endpoint(s.Unknown(), UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, 9,
               {s.UserToken("user-secure", s.Empty())});
    s.Endpoint(
        s.None(), UA_MESSAGESECURITYMODE_NONE, 0,
        {anonymous, s.UserToken("user-secure", s.Unknown()), s.UserToken("user-plain", s.Empty())});
    Client c(s);
    EXPECT_EQ(PolicyId(ChoosePasswordToken(s.endpoints, c.config)), "user-plain");
    s.endpoints.pop_back();
    EXPECT_EQ(PolicyId(ChoosePasswordToken(s.endpoints, c.config)), "none");
}

}  // namespace

namespace {

// Which token and endpoint wins, as a table: the password encrypted, RSA 1.5 last, the best
// protected channel, the strongest token policy.
TEST(ChoosePasswordToken, RankingOfTokenPoliciesAndChannels) {
    const std::string rsa15 = kPrefix + "Basic128Rsa15", b256 = kPrefix + "Basic256",
                      sha256 = kPrefix + "Basic256Sha256",
                      aes128 = kPrefix + "Aes128_Sha256_RsaOaep",
                      aes256 = kPrefix + "Aes256_Sha256_RsaPss", none = kPrefix + "None";
    const struct {
        const char* name;
        // One endpoint each: channel policy, mode, level, token id, token policy.
        std::vector<
            std::tuple<std::string, UA_MessageSecurityMode, UA_Byte, const char*, std::string>>
            endpoints;
        const char* expected;
    } cases[] = {
        {"Basic256Sha256 before Basic256 at the same level",
         {{none, UA_MESSAGESECURITYMODE_NONE, 0, "b256", b256},
          {none, UA_MESSAGESECURITYMODE_NONE, 0, "sha256", sha256}},
         "sha256"},
        {"Aes256 before Aes128 before Basic256Sha256",
         {{none, UA_MESSAGESECURITYMODE_NONE, 0, "sha256", sha256},
          {none, UA_MESSAGESECURITYMODE_NONE, 0, "aes256", aes256},
          {none, UA_MESSAGESECURITYMODE_NONE, 0, "aes128", aes128}},
         "aes256"},
        {"RSA 1.5 never with a stronger one offered, even on a better channel",
         {{sha256, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, 9, "rsa15", rsa15},
          {none, UA_MESSAGESECURITYMODE_NONE, 0, "b256", b256}},
         "b256"},
        {"RSA 1.5 when it is all there is, rather than plain",
         {{none, UA_MESSAGESECURITYMODE_NONE, 0, "plain", ""},
          {none, UA_MESSAGESECURITYMODE_NONE, 0, "rsa15", rsa15}},
         "rsa15"},
        {"Sign & Encrypt before Sign before None, whatever the levels",
         {{sha256, UA_MESSAGESECURITYMODE_SIGN, 9, "sign", ""},
          {none, UA_MESSAGESECURITYMODE_NONE, 9, "none", sha256},
          {sha256, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, 1, "encrypt", ""}},
         "encrypt"},
        {"the stronger channel policy at the same mode",
         {{b256, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, 5, "b256", sha256},
          {aes256, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT, 1, "aes256", sha256}},
         "aes256"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> texts = {rsa15, b256, sha256, aes128, aes256, none};
        std::vector<UA_SecurityPolicy> policies(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) policies[i].policyUri = Uri(texts[i]);
        UA_ClientConfig config{};
        config.securityPolicies = policies.data();
        config.securityPoliciesSize = policies.size();
        std::vector<std::vector<UA_UserTokenPolicy>> tokens(c.endpoints.size());
        std::vector<UA_EndpointDescription> endpoints(c.endpoints.size());
        for (std::size_t i = 0; i < c.endpoints.size(); ++i) {
            const auto& [channel, mode, level, id, tokenPolicy] = c.endpoints[i];
            UA_UserTokenPolicy token;
            UA_UserTokenPolicy_init(&token);
            token.policyId = UA_STRING(const_cast<char*>(id));
            token.tokenType = UA_USERTOKENTYPE_USERNAME;
            token.securityPolicyUri = Uri(tokenPolicy);
            tokens[i] = {token};
            UA_EndpointDescription_init(&endpoints[i]);
            endpoints[i].securityPolicyUri = Uri(channel);
            endpoints[i].securityMode = mode;
            endpoints[i].securityLevel = level;
            endpoints[i].userIdentityTokens = tokens[i].data();
            endpoints[i].userIdentityTokensSize = 1;
        }
        EXPECT_EQ(PolicyId(ChoosePasswordToken(endpoints, config)), c.expected) << c.name;
    }
}

}  // namespace
