#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a user or an administrator needs to know about one X.509 certificate, read from its DER
// form. Times are seconds since 1970 (UTC).

using Fingerprint = std::array<std::uint8_t, 32>;  // SHA-256 of the DER bytes

struct CertificateFacts {
    std::vector<std::uint8_t> der;
    Fingerprint fingerprint{};
    std::string applicationUri;  // the URI in the subject alternative name; empty when none
    std::string subject;         // one line, "CN=..., O=..."
    std::string issuer;
    std::int64_t notBefore = 0;
    std::int64_t notAfter = 0;
    std::vector<std::string> dnsNames;
    std::vector<std::string> ipAddresses;  // as text, "127.0.0.1", "::1"
};

// The facts of the first certificate in `der` (a chain sent as one byte string starts with its
// leaf); none when it does not parse.
std::optional<CertificateFacts> ReadCertificateFacts(std::span<const std::uint8_t> der);

Fingerprint Sha256Of(std::span<const std::uint8_t> bytes);

// "AA:BB:..." in upper case, 32 pairs.
std::string FingerprintText(const Fingerprint& fingerprint);

// Reads a fingerprint as a user types it: 64 hex digits, colons (or nothing) between pairs,
// any case.
std::optional<Fingerprint> ParseFingerprint(const std::string& text);

// "2026-12-09 18:40 UTC".
std::string UtcTimeText(std::int64_t secondsSince1970);

// The host part of an opc.tcp URL ("opc.tcp://host:4840/path"), brackets of an IPv6 address
// removed; empty when the URL has none.
std::string HostOfUrl(const std::string& url);

// Whether the certificate names `host`, as a DNS name (case-insensitive) or an IP address.
bool CertificateNamesHost(const CertificateFacts& facts, const std::string& host);
