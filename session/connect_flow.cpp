#include "session/connect_flow.h"

#include "engine/certificate_facts.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"

bool TrustAlways(const ServerTrust& trust, const ConnectionSettings& settings, std::string& where) {
    const std::string& url = settings.url;
    TrustStore store(PkiRootOr(settings.pkiRoot));
    if (store.Trust(trust.presented, url, true)) return true;
    where = store.TrustedDir().string();
    return false;
}

FlowStep AfterAttempt(ConnectOutcome outcome, const std::optional<ServerTrust>& trust,
                      ConnectionSettings& settings, ConnectDecider& decider) {
    if (outcome == ConnectOutcome::PlainPasswordRefused) {
        if (settings.allowPlainPassword || !decider.AllowPlainPassword(settings))
            return FlowStep::Declined;
        settings.allowPlainPassword = true;  // for this connect and its reconnects
        return FlowStep::Retry;
    }
    if (outcome != ConnectOutcome::ServerCertificateUntrusted &&
        outcome != ConnectOutcome::ServerCertificateChanged)
        return FlowStep::Done;
    if (!trust) return FlowStep::Declined;
    const TrustAnswer answer = decider.DecideTrust(*trust, settings.url);
    if (answer == TrustAnswer::Cancel) return FlowStep::Declined;
    if (answer == TrustAnswer::Always) {
        std::string where;
        if (!TrustAlways(*trust, settings, where)) {
            decider.TrustNotStored(where);
            return FlowStep::Declined;
        }
    }
    // Also for Always: a trusted certificate out of its validity is accepted for this run only.
    const std::string fingerprint = FingerprintText(trust->presented.fingerprint);
    decider.AcceptedThisRun(fingerprint);
    settings.acceptedServerCertificates.push_back(fingerprint);
    return FlowStep::Retry;
}
