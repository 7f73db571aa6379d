#pragma once

#include <open62541/client.h>

#include <optional>
#include <span>

// Which endpoint and user-name token policy a password sign-in uses. The library takes the
// first user-name policy of the best endpoint, which may send the password as plain bytes over
// a channel without security while another policy would have encrypted it.

struct PasswordToken {
    const UA_EndpointDescription* endpoint;
    const UA_UserTokenPolicy* policy;
    bool encrypted;  // false: the password would travel as plain bytes
};

// The security policy that protects a token of `policy` on `endpoint`: its own, or the
// channel's when it names none.
const UA_String& TokenSecurityPolicyUri(const UA_EndpointDescription& endpoint,
                                        const UA_UserTokenPolicy& policy);

// 1 Basic128Rsa15, 2 Basic256, 3 Basic256Sha256, 4 Aes128_Sha256_RsaOaep,
// 5 Aes256_Sha256_RsaPss; 0 for None and policies this program does not know.
int PolicyStrength(const UA_String& uri);

// Among the endpoints the configuration accepts (its policy URI and mode, when set, and a
// channel policy it has), a user-name token policy whose security policy the client has: one
// that encrypts the password if any exists, Basic128Rsa15 only when no stronger one protects
// a token anywhere; then the endpoint whose channel protects most (Sign & Encrypt, the
// strongest policy), the strongest token policy, the highest security level. Otherwise a plain
// one. Nothing when no endpoint takes a user name at all.
std::optional<PasswordToken> ChoosePasswordToken(std::span<const UA_EndpointDescription> endpoints,
                                                 const UA_ClientConfig& config);

// Puts the choice into the configuration, so that the connect uses exactly it.
void UsePasswordToken(UA_ClientConfig& config, const PasswordToken& token);

// An endpoint the configuration accepts with an anonymous token policy, the best protected
// channel first (as above), then the highest security level, for a sign-in whose certificate
// serves only the channel. Nothing when none.
std::optional<PasswordToken> ChooseAnonymousEndpoint(
    std::span<const UA_EndpointDescription> endpoints, const UA_ClientConfig& config);
