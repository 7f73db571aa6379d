#include "texts/certificate_texts.h"

#include "texts/text_table.h"

std::string ServerCertificateDescription(const ServerTrust& trust, const std::string& url) {
    const CertificateFacts& c = trust.presented;
    std::string text;
    text += Text(TextKey::CertApplicationUri) + c.applicationUri + "\n";
    text += Text(TextKey::CertSubject) + c.subject + "\n";
    text += Text(TextKey::CertIssuer) + c.issuer + "\n";
    text += Text(TextKey::CertValidity) + UtcTimeText(c.notBefore) + " ~ " +
            UtcTimeText(c.notAfter) + "\n";
    text += Text(TextKey::CertFingerprint) + FingerprintText(c.fingerprint) + "\n";
    if (trust.previous)
        text += Text(TextKey::CertPreviousFingerprint) +
                FingerprintText(trust.previous->fingerprint) + "\n";
    if (trust.expired) text += Text(TextKey::CertWarnExpired) + "\n";
    if (trust.notYetValid) text += Text(TextKey::CertWarnNotYetValid) + "\n";
    if (trust.hostMismatch) text += Text(TextKey::CertWarnHost) + HostOfUrl(url) + "\n";
    return text;
}
