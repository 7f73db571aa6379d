#pragma once

#include <string>

#include "engine/attributes/point_attributes.h"

// Where the exported points came from: what the JSON file names at its top and what a data
// collector needs to reach the same server the same way. Never holds a password.
struct ExportSource {
    std::string endpoint;
    std::string securityPolicy;  // one of kSecurityPolicies; empty: the options never chose one
    std::string securityMode;    // one of kSecurityModes; empty likewise
    int authKind = 1;            // 1 anonymous, 2 user name and password, 3 certificate
    std::string userName;
    // The server's certificate, when the session met one.
    std::string serverApplicationUri;
    std::string serverFingerprint;
    // The certificate and key this client showed: its own on a secure channel, the user's for
    // a certificate sign-in; empty when none was used.
    std::string certificatePath;
    std::string privateKeyPath;
};

// What an export knows besides the points.
struct ExportContext {
    ExportSource source;
    // When read: entry i for point i of the exported list.
    const PointAttributeTable* attributes = nullptr;

    const PointAttributes* AttributesOf(std::size_t point) const {
        return attributes != nullptr && point < attributes->size() ? &(*attributes)[point]
                                                                   : nullptr;
    }
};
