#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/certificate_facts.h"

// A server certificate the user chose to trust always, with the endpoint URLs it was met at.
struct TrustedCertificate {
    CertificateFacts facts;
    std::vector<std::string> endpointUrls;
};

// The server certificates trusted always: one DER file each in <pki>/trusted/, named by its
// fingerprint, and beside the folder a list of the endpoint URLs each was trusted for.
class TrustStore {
public:
    explicit TrustStore(std::filesystem::path pkiRoot);

    struct Contents {
        std::vector<TrustedCertificate> certificates;
        // One line per file that was ignored because it is not a certificate.
        std::vector<std::string> notes;
    };
    Contents Load() const;

    // Trusts `certificate` for `url` from now on. With `replace`, certificates trusted before
    // for the same application URI or the same URL are forgotten: the user accepted a changed
    // certificate in their place. False when it could not be stored.
    bool Trust(const CertificateFacts& certificate, const std::string& url, bool replace);

    std::filesystem::path TrustedDir() const { return root / "trusted"; }

private:
    std::filesystem::path EndpointsFile() const { return root / "trusted_endpoints.txt"; }
    std::vector<std::pair<std::string, std::string>> ReadEndpoints() const;
    bool WriteEndpoints(const std::vector<std::pair<std::string, std::string>>& lines) const;

    std::filesystem::path root;
};

// The name a trusted certificate's file has: its fingerprint in lower-case hex, ".der".
std::string TrustedFileName(const Fingerprint& fingerprint);
