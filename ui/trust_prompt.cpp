#include "ui/trust_prompt.h"

#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "texts/certificate_texts.h"
#include "texts/text_table.h"
#include "ui/prompts.h"
#include "ui/session_trust.h"

TrustAnswer AskServerTrust(QWidget* parent, const ServerTrust& trust, const std::string& url) {
    const bool changed = trust.verdict == TrustVerdict::Changed;
    const std::string title = Text(changed ? TextKey::TrustChangedTitle : TextKey::TrustFirstTitle);
    const std::string text = Text(changed ? TextKey::TrustChangedIntro : TextKey::TrustFirstIntro) +
                             "\n\n" + ServerCertificateDescription(trust, url);
    const int chosen = Prompts::Choice(
        parent, title, text,
        {Text(TextKey::TrustAlways), Text(TextKey::TrustThisTime), Text(TextKey::Cancel)}, 2,
        changed);
    switch (chosen) {
        case 0:
            return TrustAnswer::Always;
        case 1:
            return TrustAnswer::ThisTime;
        default:
            return TrustAnswer::Cancel;
    }
}

bool ApplyTrustAnswer(QWidget* parent, TrustAnswer answer, const ServerTrust& trust,
                      ConnectionSettings& settings) {
    if (answer == TrustAnswer::Cancel) return false;
    if (answer == TrustAnswer::Always) {
        TrustStore store(PkiRoot());
        // Accepting a changed certificate replaces the trust in the old one.
        if (!store.Trust(trust.presented, settings.url, true)) {
            Prompts::Message(parent,
                             Text(TextKey::CliTrustNotStored) + store.TrustedDir().string());
            return false;
        }
    }
    // Also for Always: a trusted certificate out of its validity is accepted for this run only.
    const std::string fingerprint = FingerprintText(trust.presented.fingerprint);
    AcceptServerThisRun(fingerprint);
    settings.acceptedServerCertificates.push_back(fingerprint);
    return true;
}

bool ResolveUntrustedServer(QWidget* parent, ConnectOutcome outcome,
                            const std::optional<ServerTrust>& trust, ConnectionSettings& settings) {
    if (outcome != ConnectOutcome::ServerCertificateUntrusted &&
        outcome != ConnectOutcome::ServerCertificateChanged)
        return false;
    if (!trust) return false;
    return ApplyTrustAnswer(parent, AskServerTrust(parent, *trust, settings.url), *trust, settings);
}
