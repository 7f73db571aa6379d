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

// Among the endpoints the configuration accepts (its policy URI and mode, when set, and a
// channel policy it has), a user-name token policy whose security policy the client has: one
// that encrypts the password if any exists (the endpoint with the highest security level
// first), otherwise a plain one. Nothing when no endpoint takes a user name at all.
std::optional<PasswordToken> ChoosePasswordToken(std::span<const UA_EndpointDescription> endpoints,
                                                 const UA_ClientConfig& config);

// Puts the choice into the configuration, so that the connect uses exactly it.
void UsePasswordToken(UA_ClientConfig& config, const PasswordToken& token);

// An endpoint the configuration accepts with an anonymous token policy, the highest security
// level first, for a sign-in whose certificate serves only the channel. Nothing when none.
std::optional<PasswordToken> ChooseAnonymousEndpoint(
    std::span<const UA_EndpointDescription> endpoints, const UA_ClientConfig& config);
