#include "texts/connect_failure.h"

#include "engine/client_identity.h"
#include "engine/pki_files.h"

std::optional<TextKey> FailureText(ConnectOutcome outcome) {
    switch (outcome) {
        case ConnectOutcome::Connected:
            return std::nullopt;
        case ConnectOutcome::AnonymousRejected:
            return TextKey::ConnectFailed;
        case ConnectOutcome::MissingUserPassword:
            return TextKey::UserPasswordEmpty;
        case ConnectOutcome::UserPasswordRejected:
            return TextKey::UserPasswordWrong;
        case ConnectOutcome::MissingCertKey:
            return TextKey::CertKeyEmpty;
        case ConnectOutcome::CertKeyRejected:
            return TextKey::CertKeyWrong;
        case ConnectOutcome::UnknownKind:
            return TextKey::ConnectFailed;
        case ConnectOutcome::PlainPasswordRefused:
            return TextKey::PlainPasswordPrompt;
        case ConnectOutcome::Unreachable:
            return TextKey::ConnectFailed;
        case ConnectOutcome::PolicyNotOffered:
            return TextKey::PolicyNotOffered;
        case ConnectOutcome::Cancelled:
            return std::nullopt;
        case ConnectOutcome::ServerCertificateUntrusted:
            return TextKey::ServerCertificateUntrusted;
        case ConnectOutcome::ServerCertificateChanged:
            return TextKey::ServerCertificateChanged;
        case ConnectOutcome::ClientCertificateRefused:
            return TextKey::ClientCertificateRefused;
        case ConnectOutcome::PkiUnsafe:
            return TextKey::PkiUnsafe;
        case ConnectOutcome::AnonymousNotOffered:
            return TextKey::AnonymousNotOffered;
        case ConnectOutcome::EndpointsChanged:
            return TextKey::EndpointsChanged;
    }
    return TextKey::ConnectFailed;
}

namespace {

std::optional<TextKey> CauseText(UnreachableCause cause) {
    switch (cause) {
        case UnreachableCause::BadUrl:
            return TextKey::CauseBadUrl;
        case UnreachableCause::HostNotFound:
            return TextKey::CauseHostNotFound;
        case UnreachableCause::ConnectionRefused:
            return TextKey::CauseRefused;
        case UnreachableCause::TimedOut:
            return TextKey::CauseTimedOut;
        case UnreachableCause::NotOpcUa:
            return TextKey::CauseNotOpcUa;
        case UnreachableCause::ClosedInHandshake:
            return TextKey::CauseClosedInHandshake;
        case UnreachableCause::Unknown:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::string UnsafePathText(const UnsafePath& unsafe) {
    TextKey reason = TextKey::UnsafeUnreadable;
    switch (unsafe.reason) {
        case UnsafeReason::NotOwned:
            reason = TextKey::UnsafeNotOwned;
            break;
        case UnsafeReason::WritableByOthers:
            reason = TextKey::UnsafeWritable;
            break;
        case UnsafeReason::SymbolicLink:
            reason = TextKey::UnsafeLink;
            break;
        case UnsafeReason::TooBig:
            reason = TextKey::UnsafeTooBig;
            break;
        case UnsafeReason::Unreadable:
            break;
    }
    return Text(TextKey::PkiUnsafe) + unsafe.path.string() + Text(reason);
}

std::string FailureMessage(ConnectOutcome outcome, const ConnectDetail& detail) {
    const auto key = FailureText(outcome);
    if (!key) return {};
    std::string text = Text(*key);
    if (outcome == ConnectOutcome::Unreachable) {
        if (const auto cause = CauseText(detail.cause)) text += Text(*cause);
    } else if ((outcome == ConnectOutcome::PolicyNotOffered ||
                outcome == ConnectOutcome::AnonymousNotOffered) &&
               !detail.offered.empty()) {
        text += Text(TextKey::OfferedPrefix) + detail.offered + ")";
    } else if (outcome == ConnectOutcome::PkiUnsafe && detail.unsafe) {
        text = UnsafePathText(*detail.unsafe);
    } else if (outcome == ConnectOutcome::ClientCertificateRefused) {
        // The administrator needs the file itself; say where it is.
        text += IdentityCertificatePath(PkiRoot()).string();
    }
    return text;
}
