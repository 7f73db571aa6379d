#include "engine/password_token.h"

#include <new>

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

}  // namespace

const UA_String& TokenSecurityPolicyUri(const UA_EndpointDescription& endpoint,
                                        const UA_UserTokenPolicy& policy) {
    return policy.securityPolicyUri.length > 0 ? policy.securityPolicyUri
                                               : endpoint.securityPolicyUri;
}

std::optional<PasswordToken> ChoosePasswordToken(std::span<const UA_EndpointDescription> endpoints,
                                                 const UA_ClientConfig& config) {
    std::optional<PasswordToken> best;
    const auto better = [&](const PasswordToken& candidate) {
        if (!best) return true;
        if (candidate.encrypted != best->encrypted) return candidate.encrypted;
        return candidate.endpoint->securityLevel > best->endpoint->securityLevel;
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
            if (!best || endpoint.securityLevel > best->endpoint->securityLevel)
                best = PasswordToken{&endpoint, &policy, false};
            break;
        }
    }
    return best;
}
