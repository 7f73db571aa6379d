#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/certificate_facts.h"
#include "engine/trust_store.h"

// Whether a server certificate may be entrusted with anything, and what the user must be told
// when it may not yet.
enum class TrustVerdict {
    Trusted,      // trusted always and valid now, or accepted for this run
    Unknown,      // first contact
    Changed,      // another certificate is trusted for the same application URI or URL
    Expired,      // trusted, but its validity has ended
    NotYetValid,  // trusted, but its validity has not begun
};

struct ServerTrust {
    TrustVerdict verdict = TrustVerdict::Unknown;
    CertificateFacts presented;
    std::optional<CertificateFacts> previous;  // the one trusted before, when Changed
    bool expired = false;
    bool notYetValid = false;
    bool hostMismatch = false;  // the host of the URL is not named in the certificate
};

// Judges `presented`, met at `url` at time `now` (seconds since 1970), against the certificates
// trusted always and the fingerprints the user accepted for this run. Only Trusted lets a
// session go ahead; every other verdict is the caller's (the user's) to decide.
ServerTrust JudgeServerCertificate(const CertificateFacts& presented, const std::string& url,
                                   const std::vector<TrustedCertificate>& trusted,
                                   std::span<const Fingerprint> acceptedThisRun, std::int64_t now);

// The fingerprints among `texts` that parse; the rest are ignored.
std::vector<Fingerprint> ParseFingerprints(const std::vector<std::string>& texts);
