#include "discovery/security_finding.h"

Severity SeverityOf(FindingKind kind) {
    switch (kind) {
        case FindingKind::NoSecureEndpoint:
        case FindingKind::PlainPassword:
        case FindingKind::CertificateExpired:
        case FindingKind::SharedCertificate:
            return Severity::High;
        case FindingKind::NoneBesideSecure:
        case FindingKind::DeprecatedPolicy:
        case FindingKind::AnonymousOffered:
        case FindingKind::Sha1Signed:
        case FindingKind::WeakRsaKey:
        case FindingKind::CertificateNotYetValid:
            return Severity::Medium;
        case FindingKind::HostNotInCertificate:
            return Severity::Low;
    }
    return Severity::Low;
}

TextKey FindingText(FindingKind kind) {
    switch (kind) {
        case FindingKind::NoSecureEndpoint:
            return TextKey::FindingNoSecureEndpoint;
        case FindingKind::NoneBesideSecure:
            return TextKey::FindingNoneBesideSecure;
        case FindingKind::DeprecatedPolicy:
            return TextKey::FindingDeprecatedPolicy;
        case FindingKind::AnonymousOffered:
            return TextKey::FindingAnonymous;
        case FindingKind::PlainPassword:
            return TextKey::FindingPlainPassword;
        case FindingKind::CertificateExpired:
            return TextKey::FindingExpired;
        case FindingKind::CertificateNotYetValid:
            return TextKey::FindingNotYetValid;
        case FindingKind::Sha1Signed:
            return TextKey::FindingSha1;
        case FindingKind::WeakRsaKey:
            return TextKey::FindingWeakKey;
        case FindingKind::HostNotInCertificate:
            return TextKey::FindingHostNotNamed;
        case FindingKind::SharedCertificate:
            return TextKey::FindingSharedCertificate;
    }
    return TextKey::FindingNoSecureEndpoint;
}

const std::string& SeverityText(Severity severity, int lang) {
    switch (severity) {
        case Severity::High:
            return Text(TextKey::SeverityHigh, lang);
        case Severity::Medium:
            return Text(TextKey::SeverityMedium, lang);
        case Severity::Low:
            break;
    }
    return Text(TextKey::SeverityLow, lang);
}

std::string FindingLine(const SecurityFinding& finding, int lang) {
    std::string line =
        "[" + SeverityText(finding.severity, lang) + "] " + Text(FindingText(finding.kind), lang);
    if (!finding.detail.empty()) line += ": " + finding.detail;
    return line;
}

const char* FindingKindWord(FindingKind kind) {
    switch (kind) {
        case FindingKind::NoSecureEndpoint:
            return "noSecureEndpoint";
        case FindingKind::NoneBesideSecure:
            return "noneBesideSecure";
        case FindingKind::DeprecatedPolicy:
            return "deprecatedPolicy";
        case FindingKind::AnonymousOffered:
            return "anonymousOffered";
        case FindingKind::PlainPassword:
            return "plainPassword";
        case FindingKind::CertificateExpired:
            return "certificateExpired";
        case FindingKind::CertificateNotYetValid:
            return "certificateNotYetValid";
        case FindingKind::Sha1Signed:
            return "sha1Signed";
        case FindingKind::WeakRsaKey:
            return "weakRsaKey";
        case FindingKind::HostNotInCertificate:
            return "hostNotInCertificate";
        case FindingKind::SharedCertificate:
            return "sharedCertificate";
    }
    return "unknown";
}
