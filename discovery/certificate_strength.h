#pragma once

#include <cstdint>
#include <span>
#include <string>

// The parts of a certificate that say how strong it is, beyond what the trust dialog shows.
struct CertificateStrength {
    std::string keyType;  // "RSA", "EC", ...; empty when unreadable
    int keyBits = 0;
    std::string signatureHash;  // "SHA1", "SHA256", ...
    bool selfSigned = false;
};

CertificateStrength ReadCertificateStrength(std::span<const std::uint8_t> der);
