#pragma once

#include <span>

// Identifiers of the binary resources built into the program.
inline constexpr int kClientCertificateResource = 148;  // X.509, DER
inline constexpr int kClientPrivateKeyResource = 149;   // RSA 2048, PKCS#1 DER; secret

// The bytes of resource `id`; empty for an identifier that names no resource.
std::span<const unsigned char> FindHexResource(int id);
