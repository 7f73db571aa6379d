#include "history/scan_facts.h"

#include "engine/certificate_facts.h"

ServerIdentity IdentityOf(const std::string& url, const std::optional<ServerTrust>& trust) {
    ServerIdentity server;
    server.endpointUrl = url;
    if (trust && !trust->presented.der.empty()) {
        server.applicationUri = trust->presented.applicationUri;
        server.certificateSubject = trust->presented.subject;
        server.certificateFingerprint = FingerprintText(trust->presented.fingerprint);
    }
    return server;
}

ScanFacts FactsOf(const ConnectionSettings& settings, std::int64_t startedMs, std::int64_t endedMs,
                  bool complete) {
    ScanFacts facts;
    facts.startedMs = startedMs;
    facts.endedMs = endedMs;
    facts.complete = complete;
    facts.signIn = settings.authKind;
    if (settings.authKind == 2) facts.userName = settings.userName;
    return facts;
}
