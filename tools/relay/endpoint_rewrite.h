#pragma once

#include <cstdint>
#include <vector>

// What a rewriting relay does to the GetEndpoints answers it can read (channels without
// security), as a man in the middle would to steer a client.
struct EndpointRewrite {
    bool dropSecure = false;  // leave only the endpoints without security
    // User-name token policies lose their own protection: the password would rely on the
    // channel alone, in clear inside a channel that only signs.
    bool plainPasswords = false;
    // When not empty: every endpoint names this certificate instead of the server's.
    std::vector<std::uint8_t> certificate;
    // Only the answers on the first connection accepted after the rewrite was set, the one a
    // client lists the endpoints over before it connects.
    bool firstConnectionOnly = false;

    bool Active() const { return dropSecure || plainPasswords || !certificate.empty(); }
};

// Rewrites `chunk` in place when it is a single-chunk GetEndpoints response of a channel
// without security; true when it did.
bool RewriteEndpointsResponse(std::vector<std::uint8_t>& chunk, const EndpointRewrite& rewrite);
