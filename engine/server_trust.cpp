#include "engine/server_trust.h"

#include <algorithm>

ServerTrust JudgeServerCertificate(const CertificateFacts& presented, const std::string& url,
                                   const std::vector<TrustedCertificate>& trusted,
                                   std::span<const Fingerprint> acceptedThisRun, std::int64_t now) {
    ServerTrust result;
    result.presented = presented;
    result.expired = now > presented.notAfter;
    result.notYetValid = now < presented.notBefore;
    result.hostMismatch = !CertificateNamesHost(presented, HostOfUrl(url));

    // The user saw every warning when accepting it for this run.
    if (std::find(acceptedThisRun.begin(), acceptedThisRun.end(), presented.fingerprint) !=
        acceptedThisRun.end()) {
        result.verdict = TrustVerdict::Trusted;
        return result;
    }
    const auto same = std::find_if(
        trusted.begin(), trusted.end(),
        [&](const TrustedCertificate& t) { return t.facts.fingerprint == presented.fingerprint; });
    if (same != trusted.end()) {
        result.verdict = result.expired       ? TrustVerdict::Expired
                         : result.notYetValid ? TrustVerdict::NotYetValid
                                              : TrustVerdict::Trusted;
        return result;
    }
    const auto before =
        std::find_if(trusted.begin(), trusted.end(),
                     [&](const TrustedCertificate& t) { return SameServer(t, presented, url); });
    if (before != trusted.end()) {
        result.verdict = TrustVerdict::Changed;
        result.previous = before->facts;
        return result;
    }
    result.verdict = TrustVerdict::Unknown;
    return result;
}

std::vector<Fingerprint> ParseFingerprints(const std::vector<std::string>& texts) {
    std::vector<Fingerprint> result;
    for (const std::string& text : texts)
        if (const auto fingerprint = ParseFingerprint(text)) result.push_back(*fingerprint);
    return result;
}
