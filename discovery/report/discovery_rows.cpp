#include "discovery/report/discovery_rows.h"

#include <algorithm>
#include <iterator>

#include "discovery/security_findings.h"

namespace {

std::string Joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : separator) + item;
    return text;
}

std::string HostNamedText(const DiscoveredServer& server) {
    if (!server.certificate) return {};
    for (const SecurityFinding& f : server.findings) {
        if (f.kind == FindingKind::HostNotInCertificate) return "no";
    }
    return "yes";
}

}  // namespace

DiscoveryRow DiscoveryHeader(int) {
    return {"Server",       "ApplicationUri", "ProductUri", "ApplicationType",
            "FoundAt",      "AdvertisedUrl",  "Sources",    "EndpointUrl",
            "SecurityMode", "SecurityPolicy", "UserTokens", "Fingerprint",
            "Subject",      "Issuer",         "NotBefore",  "NotAfter",
            "Key",          "SignatureHash",  "SelfSigned", "HostNamed",
            "Trust",        "Severity",       "Findings"};
}

std::string TrustText(const DiscoveredServer& server, int lang) {
    if (!server.trust) return {};
    switch (*server.trust) {
        case TrustVerdict::Unknown:
            return Text(TextKey::TrustStateUnknown, lang);
        case TrustVerdict::Changed:
            return Text(TextKey::TrustStateChanged, lang);
        default:
            return Text(TextKey::TrustStateTrusted, lang);
    }
}

std::string SourceWords(unsigned sources) {
    std::vector<std::string> words;
    if (sources & kSourceSweep) words.push_back("sweep");
    if (sources & kSourceLds) words.push_back("lds");
    if (sources & kSourceMdns) words.push_back("mdns");
    if (sources & kSourceGiven) words.push_back("url");
    return Joined(words, ",");
}

std::string TokenOffers(const EndpointOffer& endpoint) {
    std::vector<std::string> words;
    for (const UserTokenOffer& t : endpoint.tokens) {
        std::string word = TokenNameOf(t.type);
        if (!t.policyUri.empty()) word += "(" + PolicyNameOf(t.policyUri) + ")";
        // Servers often list a kind once per policy they offer; once says it.
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    }
    return Joined(words, ",");
}

std::string ApplicationTypeName(int applicationType) {
    // The names of the standard's ApplicationType, by value.
    static constexpr const char* kNames[] = {"Server", "Client", "ClientAndServer",
                                             "DiscoveryServer"};
    if (applicationType >= 0 && applicationType < static_cast<int>(std::size(kNames)))
        return kNames[applicationType];
    return std::to_string(applicationType);
}

std::string KeyText(const CertificateStrength& strength) {
    if (strength.keyType.empty()) return {};
    return strength.keyType + " " + std::to_string(strength.keyBits);
}

std::vector<DiscoveryRow> DiscoveryRows(const DiscoveryResult& result, int lang) {
    std::vector<DiscoveryRow> rows;
    for (const DiscoveredServer& s : result.servers) {
        std::vector<std::string> lines;
        for (const SecurityFinding& f : s.findings) lines.push_back(FindingLine(f, lang));
        const auto worst = WorstSeverity(s.findings);
        const std::optional<CertificateFacts>& c = s.certificate;
        DiscoveryRow server = {s.applicationName,
                               s.applicationUri,
                               s.productUri,
                               ApplicationTypeName(s.applicationType),
                               s.foundAt,
                               s.advertisedUrl,
                               SourceWords(s.sources),
                               {},
                               {},
                               {},
                               {},
                               c ? FingerprintText(c->fingerprint) : "",
                               c ? c->subject : "",
                               c ? c->issuer : "",
                               c ? UtcTimeText(c->notBefore) : "",
                               c ? UtcTimeText(c->notAfter) : "",
                               KeyText(s.strength),
                               s.strength.signatureHash,
                               c ? (s.strength.selfSigned ? "yes" : "no") : "",
                               HostNamedText(s),
                               TrustText(s, lang),
                               worst ? SeverityText(*worst, lang) : "",
                               Joined(lines, "; ")};
        if (s.endpoints.empty()) rows.push_back(server);
        for (const EndpointOffer& e : s.endpoints) {
            DiscoveryRow row = server;
            row[7] = e.url;
            row[8] = ModeNameOf(e.mode);
            row[9] = PolicyNameOf(e.policyUri);
            row[10] = TokenOffers(e);
            rows.push_back(std::move(row));
        }
    }
    for (const OtherPort& p : result.otherPorts) {
        DiscoveryRow row(DiscoveryHeader(lang).size());
        row[4] = OpcTcpUrl(p.address, p.port);
        row[6] = "sweep";
        row[22] =
            Text(p.state == PortState::Silent ? TextKey::PortSilent : TextKey::NotOpcUa, lang);
        rows.push_back(std::move(row));
    }
    return rows;
}
