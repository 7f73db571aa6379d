#include "discovery/security_findings.h"

#include <algorithm>
#include <map>

namespace {

bool Secure(const EndpointOffer& e) { return e.mode >= 2 && PolicyNameOf(e.policyUri) != "None"; }

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

void Add(std::vector<SecurityFinding>& findings, FindingKind kind, std::string detail = {}) {
    findings.push_back({kind, SeverityOf(kind), std::move(detail)});
}

void JudgeEndpoints(const std::vector<EndpointOffer>& endpoints,
                    std::vector<SecurityFinding>& findings) {
    if (endpoints.empty()) return;
    const bool anySecure = std::any_of(endpoints.begin(), endpoints.end(), Secure);
    const bool anyOpen = !std::all_of(endpoints.begin(), endpoints.end(), Secure);
    if (!anySecure) Add(findings, FindingKind::NoSecureEndpoint);
    if (anySecure && anyOpen) Add(findings, FindingKind::NoneBesideSecure);

    std::vector<std::string> deprecated, anonymousModes, plainPassword;
    for (const EndpointOffer& e : endpoints) {
        const std::string policy = PolicyNameOf(e.policyUri);
        if (policy == "Basic128Rsa15" || policy == "Basic256") AddOnce(deprecated, policy);
        for (const UserTokenOffer& token : e.tokens) {
            if (token.type == 0) AddOnce(anonymousModes, ModeNameOf(e.mode));
            // The token's own policy encrypts the password; without one the endpoint's does.
            const std::string& protecting = token.policyUri.empty() ? e.policyUri : token.policyUri;
            if (token.type == 1 && PolicyNameOf(protecting) == "None")
                AddOnce(plainPassword, policy + "/" + ModeNameOf(e.mode));
        }
    }
    if (!deprecated.empty()) Add(findings, FindingKind::DeprecatedPolicy, Joined(deprecated));
    if (!anonymousModes.empty())
        Add(findings, FindingKind::AnonymousOffered, Joined(anonymousModes));
    if (!plainPassword.empty()) Add(findings, FindingKind::PlainPassword, Joined(plainPassword));
}

}  // namespace

std::vector<SecurityFinding> JudgeServer(const DiscoveredServer& server, std::int64_t now) {
    std::vector<SecurityFinding> findings;
    JudgeEndpoints(server.endpoints, findings);
    if (!server.certificate) return findings;
    const CertificateFacts& facts = *server.certificate;
    if (now > facts.notAfter)
        Add(findings, FindingKind::CertificateExpired, UtcTimeText(facts.notAfter));
    if (now < facts.notBefore)
        Add(findings, FindingKind::CertificateNotYetValid, UtcTimeText(facts.notBefore));
    if (server.strength.signatureHash == "SHA1") Add(findings, FindingKind::Sha1Signed);
    if (server.strength.keyType == "RSA" && server.strength.keyBits < 2048)
        Add(findings, FindingKind::WeakRsaKey, std::to_string(server.strength.keyBits));
    // Clients connect by the name the server gives itself; only when that is no help, by the
    // address it was found at.
    const std::string host =
        HostOfUrl(server.advertisedResolves && !server.advertisedUrl.empty() ? server.advertisedUrl
                                                                             : server.foundAt);
    if (!host.empty() && !CertificateNamesHost(facts, host))
        Add(findings, FindingKind::HostNotInCertificate, host);
    return findings;
}

void MarkSharedCertificates(std::vector<DiscoveredServer>& servers) {
    std::map<Fingerprint, std::size_t> count;
    for (const DiscoveredServer& s : servers) {
        if (s.certificate) ++count[s.certificate->fingerprint];
    }
    for (DiscoveredServer& s : servers) {
        if (!s.certificate) continue;
        const std::size_t n = count[s.certificate->fingerprint];
        if (n > 1) Add(s.findings, FindingKind::SharedCertificate, std::to_string(n));
    }
}

std::optional<Severity> WorstSeverity(const std::vector<SecurityFinding>& findings) {
    std::optional<Severity> worst;
    for (const SecurityFinding& f : findings) {
        if (!worst || f.severity > *worst) worst = f.severity;
    }
    return worst;
}

std::string SummaryLine(const std::vector<DiscoveredServer>& servers, int lang) {
    const auto having = [&](FindingKind kind) {
        return static_cast<long long>(
            std::count_if(servers.begin(), servers.end(), [&](const DiscoveredServer& s) {
                return std::any_of(s.findings.begin(), s.findings.end(),
                                   [&](const SecurityFinding& f) { return f.kind == kind; });
            }));
    };
    const auto format = [&](TextKey key, long long n) {
        std::string text = Text(key, lang);
        const auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
        return text;
    };
    return format(TextKey::SummaryServers, static_cast<long long>(servers.size())) + ": " +
           format(TextKey::SummaryWithoutSecurity, having(FindingKind::NoSecureEndpoint)) + ", " +
           format(TextKey::SummaryAnonymous, having(FindingKind::AnonymousOffered)) + ", " +
           format(TextKey::SummaryShared, having(FindingKind::SharedCertificate));
}
