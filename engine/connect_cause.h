#pragma once

#include <open62541/types.h>

#include <optional>

#include "engine/connection_settings.h"

// What a failed connect's status says about its cause.
enum class ConnectCause {
    Unreachable,      // nothing answered in time, or the connection went away
    IdentityRefused,  // the server refused the user identity
    CertificateRefused,
    PolicyRefused,  // the server turned the chosen policy or mode down
    Unknown,
};
ConnectCause CauseOf(UA_StatusCode status);

// The outcome a failed attempt with `authKind` reports. `sessionCreated`: the server created a
// session before the failure (the library reports a refused identity and a missing endpoint
// with the same status). `policyUsable` is false when the chosen policy could not be built here
// (no usable certificate or key); `offered` tells whether the server lists an endpoint with the
// chosen policy and mode, when that was asked.
ConnectOutcome FailedConnectOutcome(int authKind, UA_StatusCode status, bool sessionCreated,
                                    bool policyUsable, std::optional<bool> offered);
