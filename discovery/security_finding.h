#pragma once

#include <string>

#include "texts/text_table.h"

enum class Severity { Low = 1, Medium = 2, High = 3 };

enum class FindingKind {
    NoSecureEndpoint,
    NoneBesideSecure,
    DeprecatedPolicy,
    AnonymousOffered,
    PlainPassword,
    CertificateExpired,
    CertificateNotYetValid,
    Sha1Signed,
    WeakRsaKey,
    HostNotInCertificate,
    SharedCertificate,
};

// One thing about a server's security the user should know, with what it concerns ("Basic256",
// "None, Sign", a count of servers).
struct SecurityFinding {
    FindingKind kind;
    Severity severity;
    std::string detail;
};

Severity SeverityOf(FindingKind kind);
// The reports' word for `kind`, the same in every language: "anonymousOffered".
const char* FindingKindWord(FindingKind kind);
TextKey FindingText(FindingKind kind);
// "high", "medium", "low" in `lang`.
const std::string& SeverityText(Severity severity, int lang);
// "[high] deprecated security policies: Basic256" in `lang`.
std::string FindingLine(const SecurityFinding& finding, int lang);
