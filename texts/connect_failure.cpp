#include "texts/connect_failure.h"

std::optional<TextKey> FailureText(ConnectOutcome outcome) {
    switch (outcome) {
    case ConnectOutcome::Connected: return std::nullopt;
    case ConnectOutcome::AnonymousRejected: return TextKey::ConnectFailed;
    case ConnectOutcome::MissingUserPassword: return TextKey::UserPasswordEmpty;
    case ConnectOutcome::UserPasswordRejected: return TextKey::UserPasswordWrong;
    case ConnectOutcome::MissingCertKey: return TextKey::CertKeyEmpty;
    case ConnectOutcome::CertKeyRejected: return TextKey::CertKeyWrong;
    case ConnectOutcome::UnknownKind: return TextKey::ConnectFailed;
    case ConnectOutcome::PlainPasswordRefused: return TextKey::PlainPasswordPrompt;
    case ConnectOutcome::Unreachable: return TextKey::ConnectFailed;
    case ConnectOutcome::PolicyNotOffered: return TextKey::PolicyNotOffered;
    case ConnectOutcome::Cancelled: return std::nullopt;
    }
    return TextKey::ConnectFailed;
}
