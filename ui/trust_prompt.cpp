#include "ui/trust_prompt.h"

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

bool WindowDecider::AllowPlainPassword(const ConnectionSettings&) {
    return Prompts::Question(parent, Text(TextKey::PlainPasswordPrompt));
}

TrustAnswer WindowDecider::DecideTrust(const ServerTrust& trust, const std::string& url) {
    return AskServerTrust(parent, trust, url);
}

void WindowDecider::TrustNotStored(const std::string& where) {
    Prompts::Message(parent, Text(TextKey::CliTrustNotStored) + where);
}

void WindowDecider::AcceptedThisRun(const std::string& fingerprint) {
    AcceptServerThisRun(fingerprint);
}
