#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/certificate_facts.h"
#include "os/private_folder.h"

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
        // A folder or file another user could have changed, or a list that cannot be read:
        // then nothing is trusted at all.
        std::optional<UnsafePath> refused;
    };
    Contents Load() const;

    // Trusts `certificate` for `url` from now on. With `replace`, other certificates of the
    // same server (SameServer) are forgotten: the user accepted a changed certificate in their
    // place. False, with nothing changed, when it could not be stored: the store is unsafe or
    // unreadable (see Load), or `url` holds a control character.
    bool Trust(const CertificateFacts& certificate, const std::string& url, bool replace);

    std::filesystem::path TrustedDir() const { return root / "trusted"; }

private:
    std::filesystem::path EndpointsFile() const { return root / "trusted_endpoints.txt"; }
    // None when the list is there but cannot be read (too big, say): never taken as empty.
    std::optional<std::vector<std::pair<std::string, std::string>>> ReadEndpoints() const;
    bool WriteEndpoints(const std::vector<std::pair<std::string, std::string>>& lines) const;

    std::filesystem::path root;
};

// Whether `trusted` belongs to the server that presented `presented` at `url`: the same
// certificate, the same (non-empty) application URI, or trusted for the same URL. URLs are
// the same when they differ only in the case of the scheme and the host.
bool SameServer(const TrustedCertificate& trusted, const CertificateFacts& presented,
                const std::string& url);

// A URL with a control character (a newline would make a line of its own in the list).
bool HasControlCharacter(const std::string& url);

// The name a trusted certificate's file has: its fingerprint in lower-case hex, ".der".
std::string TrustedFileName(const Fingerprint& fingerprint);
