#pragma once

#include <open62541/types.h>

#include <span>

// The endpoints a server listed before any channel was open (GetEndpoints over None, which
// anyone on the way can rewrite) against the ones it lists again inside the channel the
// session is to use. What they must agree on is what the choice of endpoint, the server
// certificate and the way a password travels depend on: per policy and mode, the
// certificate, the security level and the user token policies, and the server's
// application URI. Endpoint URLs, their order and repetitions are left out: a server names
// itself by host name where the client used an address, or lists one pair under several URLs.

enum class EndpointChange {
    None,
    Withheld,     // a policy and mode the server offers was missing from the first list
    Invented,     // the first list held a policy and mode the server does not offer
    Certificate,  // another server certificate for the same policy and mode
    UserTokens,   // other sign-in kinds, or another protection of a password
    SecurityLevel,
    Server,  // another application URI
};

EndpointChange CompareEndpoints(std::span<const UA_EndpointDescription> listed,
                                std::span<const UA_EndpointDescription> inChannel);
