#pragma once

#include <open62541/client.h>

#include <cstdint>
#include <span>

// The client's certificate check: it accepts exactly one server certificate, the one the user's
// trust decision covered, and refuses every other (all of them until one is pinned). The
// library then refuses a channel from any other certificate before a session exists.
void RefuseServerCertificates(UA_ClientConfig& config);

// From now on the check accepts `certificate` (DER; of a chain only the leaf counts) and
// nothing else.
void PinServerCertificate(UA_ClientConfig& config, std::span<const std::uint8_t> certificate);

// The check as the library calls it, for tests: GOOD only for the pinned leaf.
UA_StatusCode CheckPinnedCertificate(const UA_CertificateVerification& verification,
                                     const UA_ByteString& certificate);
