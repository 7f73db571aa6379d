#include "engine/password_token.h"

#include <new>
#include <string_view>
#include <tuple>

#include "engine/connection_settings.h"

namespace {

const UA_String kNonePolicyUri =
    UA_STRING_STATIC("http://opcfoundation.org/UA/SecurityPolicy#None");

bool Has(const UA_SecurityPolicy* policies, std::size_t count, const UA_String& uri) {
    for (std::size_t i = 0; i < count; ++i)
        if (UA_String_equal(&policies[i].policyUri, &uri)) return true;
    return false;
}

bool ChannelPolicyAvailable(const UA_ClientConfig& config, const UA_String& uri) {
    return Has(config.securityPolicies, config.securityPoliciesSize, uri);
}

bool TokenPolicyAvailable(const UA_ClientConfig& config, const UA_String& uri) {
    return ChannelPolicyAvailable(config, uri) ||
           Has(config.authSecurityPolicies, config.authSecurityPoliciesSize, uri);
}

bool Accepts(const UA_ClientConfig& config, const UA_EndpointDescription& endpoint) {
    if (config.securityMode != UA_MESSAGESECURITYMODE_INVALID &&
        config.securityMode != endpoint.securityMode)
        return false;
    if (config.securityPolicyUri.length > 0 &&
        !UA_String_equal(&config.securityPolicyUri, &endpoint.securityPolicyUri))
        return false;
    return ChannelPolicyAvailable(config, endpoint.securityPolicyUri);
}

constexpr std::string_view kPolicyPrefix = "http://opcfoundation.org/UA/SecurityPolicy#";

bool IsRsa15(const UA_String& uri) { return PolicyStrength(uri) == 1; }

// How well the channel of `endpoint` protects the session: the mode first (encrypted values
// and session token over merely signed ones), then the policy.
std::pair<int, int> ChannelStrength(const UA_EndpointDescription& endpoint) {
    const int mode = endpoint.securityMode == UA_MESSAGESECURITYMODE_SIGNANDENCRYPT ? 2
                     : endpoint.securityMode == UA_MESSAGESECURITYMODE_SIGN         ? 1
                                                                                    : 0;
    return {mode, PolicyStrength(endpoint.securityPolicyUri)};
}

}  // namespace

int PolicyStrength(const UA_String& uri) {
    const std::string_view text(reinterpret_cast<const char*>(uri.data), uri.length);
    if (!text.starts_with(kPolicyPrefix)) return 0;
    const std::string_view name = text.substr(kPolicyPrefix.size());
    for (std::size_t rank = 0; rank < std::size(kPolicyStrength); ++rank) {
        if (name == kSecurityPolicies[kPolicyStrength[rank]]) return static_cast<int>(rank) + 1;
    }
    return 0;
}

const UA_String& TokenSecurityPolicyUri(const UA_EndpointDescription& endpoint,
                                        const UA_UserTokenPolicy& policy) {
    return policy.securityPolicyUri.length > 0 ? policy.securityPolicyUri
                                               : endpoint.securityPolicyUri;
}

std::optional<PasswordToken> ChoosePasswordToken(std::span<const UA_EndpointDescription> endpoints,
                                                 const UA_ClientConfig& config) {
    std::optional<PasswordToken> best;
    // An encrypted password first; RSA PKCS#1 v1.5 only when nothing stronger is offered; then
    // the best protected channel, the strongest token policy, the server's own level.
    const auto rank = [](const PasswordToken& t) {
        const UA_String& uri = TokenSecurityPolicyUri(*t.endpoint, *t.policy);
        return std::tuple(t.encrypted, !IsRsa15(uri), ChannelStrength(*t.endpoint),
                          PolicyStrength(uri), t.endpoint->securityLevel);
    };
    const auto better = [&](const PasswordToken& candidate) {
        return !best || rank(candidate) > rank(*best);
    };
    for (const UA_EndpointDescription& endpoint : endpoints) {
        if (!Accepts(config, endpoint)) continue;
        for (std::size_t j = 0; j < endpoint.userIdentityTokensSize; ++j) {
            const UA_UserTokenPolicy& policy = endpoint.userIdentityTokens[j];
            if (policy.tokenType != UA_USERTOKENTYPE_USERNAME) continue;
            const UA_String& uri = TokenSecurityPolicyUri(endpoint, policy);
            if (!TokenPolicyAvailable(config, uri)) continue;
            const PasswordToken candidate{&endpoint, &policy,
                                          !UA_String_equal(&uri, &kNonePolicyUri)};
            if (better(candidate)) best = candidate;
        }
    }
    return best;
}

void UsePasswordToken(UA_ClientConfig& config, const PasswordToken& token) {
    UA_EndpointDescription_clear(&config.endpoint);
    UA_UserTokenPolicy_clear(&config.userTokenPolicy);
    if (UA_EndpointDescription_copy(token.endpoint, &config.endpoint) != UA_STATUSCODE_GOOD ||
        UA_UserTokenPolicy_copy(token.policy, &config.userTokenPolicy) != UA_STATUSCODE_GOOD)
        throw std::bad_alloc();
}

std::optional<PasswordToken> ChooseAnonymousEndpoint(
    std::span<const UA_EndpointDescription> endpoints, const UA_ClientConfig& config) {
    std::optional<PasswordToken> best;
    for (const UA_EndpointDescription& endpoint : endpoints) {
        if (!Accepts(config, endpoint)) continue;
        for (std::size_t j = 0; j < endpoint.userIdentityTokensSize; ++j) {
            const UA_UserTokenPolicy& policy = endpoint.userIdentityTokens[j];
            if (policy.tokenType != UA_USERTOKENTYPE_ANONYMOUS) continue;
            const auto rank = [](const UA_EndpointDescription& e) {
                return std::pair(ChannelStrength(e), e.securityLevel);
            };
            if (!best || rank(endpoint) > rank(*best->endpoint))
                best = PasswordToken{&endpoint, &policy, false};
            break;
        }
    }
    return best;
}
