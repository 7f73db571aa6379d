#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "os/private_folder.h"

// This installation's own certificate and key: made on first need, kept under <pki>/own/, the
// same on every later run. Servers that trust a client trust this certificate.
struct ClientIdentity {
    std::vector<std::uint8_t> certificate;  // X.509, DER
    std::vector<std::uint8_t> privateKey;   // RSA, PKCS#1 DER; secret
    std::string applicationUri;
    std::filesystem::path certificatePath;
    // The key bytes are overwritten before their memory is given back.
    ~ClientIdentity();
};

// "urn:<host name>:Quorvane", the application URI this client announces.
std::string ClientApplicationUri();

// A new RSA 2048 key and a self-signed SHA-256 certificate for `applicationUri` and `host`,
// valid five years from now; none when OpenSSL fails.
std::optional<ClientIdentity> GenerateIdentity(const std::string& applicationUri,
                                               const std::string& host);

// The identity kept under `pkiRoot`, made and stored first when there is none (or what is there
// does not parse). None, with the reason in `error`, when it can neither be read nor stored, or
// when a folder or file on its way could have been changed by another user (then named in
// `unsafe`).
std::optional<ClientIdentity> LoadOrCreateIdentity(const std::filesystem::path& pkiRoot,
                                                   std::string* error = nullptr,
                                                   std::optional<UnsafePath>* unsafe = nullptr);

// Replaces the stored identity with a new one. Servers that trusted the old one must be given
// the new certificate.
std::optional<ClientIdentity> RenewIdentity(const std::filesystem::path& pkiRoot,
                                            std::string* error = nullptr,
                                            std::optional<UnsafePath>* unsafe = nullptr);

// Where the parts live under `pkiRoot`.
std::filesystem::path IdentityCertificatePath(const std::filesystem::path& pkiRoot);
std::filesystem::path IdentityKeyPath(const std::filesystem::path& pkiRoot);
