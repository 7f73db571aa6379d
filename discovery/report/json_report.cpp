#include "discovery/report/json_report.h"

#include <cstdio>

#include "discovery/report/discovery_rows.h"
#include "discovery/security_findings.h"
#include "export/json/json_text.h"

namespace {

const char* SeverityWord(Severity s) {
    return s == Severity::High ? "high" : s == Severity::Medium ? "medium" : "low";
}

class Json {
public:
    std::string text;
    void Key(const char* key) {
        Comma();
        text += JsonString(key) + ":";
        fresh_ = true;
    }
    void Str(const std::string& value) {
        Comma();
        text += JsonString(value);
    }
    void Raw(const std::string& value) {
        Comma();
        text += value;
    }
    void Open(char bracket) {
        Comma();
        text += bracket;
        fresh_ = true;
    }
    void Close(char bracket) {
        text += bracket;
        fresh_ = false;
    }

private:
    void Comma() {
        if (!fresh_) text += ",";
        fresh_ = false;
    }
    bool fresh_ = true;
};

void Certificate(Json& j, const DiscoveredServer& s) {
    j.Key("certificate");
    if (!s.certificate) return j.Raw("null");
    const CertificateFacts& c = *s.certificate;
    j.Open('{');
    j.Key("fingerprintSha256");
    j.Str(FingerprintText(c.fingerprint));
    j.Key("subject");
    j.Str(c.subject);
    j.Key("issuer");
    j.Str(c.issuer);
    j.Key("notBefore");
    j.Str(UtcTimeText(c.notBefore));
    j.Key("notAfter");
    j.Str(UtcTimeText(c.notAfter));
    j.Key("keyType");
    j.Str(s.strength.keyType);
    j.Key("keyBits");
    j.Raw(std::to_string(s.strength.keyBits));
    j.Key("signatureHash");
    j.Str(s.strength.signatureHash);
    j.Key("selfSigned");
    j.Raw(s.strength.selfSigned ? "true" : "false");
    j.Close('}');
}

void Server(Json& j, const DiscoveredServer& s, int lang) {
    j.Open('{');
    j.Key("applicationName");
    j.Str(s.applicationName);
    j.Key("applicationUri");
    j.Str(s.applicationUri);
    j.Key("productUri");
    j.Str(s.productUri);
    j.Key("applicationType");
    j.Str(ApplicationTypeName(s.applicationType));
    j.Key("foundAt");
    j.Str(s.foundAt);
    j.Key("advertisedUrl");
    j.Str(s.advertisedUrl);
    j.Key("advertisedResolves");
    j.Raw(s.advertisedResolves ? "true" : "false");
    j.Key("sources");
    j.Str(SourceWords(s.sources));
    j.Key("discoveryUrls");
    j.Open('[');
    for (const std::string& u : s.discoveryUrls) j.Str(u);
    j.Close(']');
    j.Key("endpoints");
    j.Open('[');
    for (const EndpointOffer& e : s.endpoints) {
        j.Open('{');
        j.Key("url");
        j.Str(e.url);
        j.Key("securityMode");
        j.Str(ModeNameOf(e.mode));
        j.Key("securityPolicy");
        j.Str(PolicyNameOf(e.policyUri));
        j.Key("securityLevel");
        j.Raw(std::to_string(e.level));
        j.Key("userTokens");
        j.Open('[');
        for (const UserTokenOffer& t : e.tokens) {
            j.Open('{');
            j.Key("type");
            j.Str(TokenNameOf(t.type));
            j.Key("policy");
            j.Str(t.policyUri.empty() ? "" : PolicyNameOf(t.policyUri));
            j.Close('}');
        }
        j.Close(']');
        j.Close('}');
    }
    j.Close(']');
    Certificate(j, s);
    j.Key("trust");
    j.Str(TrustText(s, 1));
    j.Key("findings");
    j.Open('[');
    for (const SecurityFinding& f : s.findings) {
        j.Open('{');
        j.Key("kind");
        j.Str(FindingKindWord(f.kind));
        j.Key("severity");
        j.Str(SeverityWord(f.severity));
        j.Key("detail");
        j.Str(f.detail);
        j.Key("text");
        j.Str(FindingLine(f, lang));
        j.Close('}');
    }
    j.Close(']');
    j.Close('}');
}

}  // namespace

std::string DiscoveryJson(const DiscoveryResult& result, int lang) {
    Json j;
    j.Open('{');
    j.Key("summary");
    j.Str(SummaryLine(result.servers, lang));
    j.Key("servers");
    j.Open('[');
    for (const DiscoveredServer& s : result.servers) Server(j, s, lang);
    j.Close(']');
    j.Key("otherPorts");
    j.Open('[');
    for (const OtherPort& p : result.otherPorts) {
        j.Open('{');
        j.Key("url");
        j.Str(OpcTcpUrl(p.address, p.port));
        j.Key("state");
        j.Str(p.state == PortState::Silent ? "silent" : "notOpcUa");
        j.Close('}');
    }
    j.Close(']');
    j.Key("notes");
    j.Open('[');
    for (const DiscoveryNote& n : result.notes) j.Str(Text(n.key, lang) + n.detail);
    j.Close(']');
    j.Close('}');
    return j.text + "\n";
}
