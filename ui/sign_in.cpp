#include "ui/sign_in.h"

SignInOutcome SignIn(OPCUABrowser& engine, const ConnectionSettings& s) {
    switch (s.authKind) {
    case 1:
        // A failed anonymous connect leaves no session behind, so no Disconnect here.
        return engine.ConnectAnonymous(s.url, s.timeoutSeconds) == 0
                   ? SignInOutcome::Connected
                   : SignInOutcome::AnonymousRejected;
    case 2:
        if (s.userName.empty() || s.password.empty()) {
            engine.Disconnect();
            return SignInOutcome::MissingUserPassword;
        }
        if (engine.ConnectUserPassword(s.url, s.userName, s.password, s.timeoutSeconds,
                                       s.securityPolicy, s.securityMode) != 0) {
            engine.Disconnect();
            return SignInOutcome::UserPasswordRejected;
        }
        return SignInOutcome::Connected;
    case 3:
        if (s.certificatePath.empty() || s.privateKeyPath.empty() || s.securityPolicy.empty() ||
            s.securityMode.empty()) {
            engine.Disconnect();
            return SignInOutcome::MissingCertKey;
        }
        if (engine.ConnectCertificate(s.url, s.certificatePath, s.privateKeyPath,
                                      s.timeoutSeconds, s.securityPolicy, s.securityMode) != 0) {
            engine.Disconnect();
            return SignInOutcome::CertKeyRejected;
        }
        return SignInOutcome::Connected;
    default:
        return SignInOutcome::UnknownKind;
    }
}

std::optional<TextKey> FailureText(SignInOutcome outcome) {
    switch (outcome) {
    case SignInOutcome::Connected: return std::nullopt;
    case SignInOutcome::AnonymousRejected: return TextKey::ConnectFailed;
    case SignInOutcome::MissingUserPassword: return TextKey::UserPasswordEmpty;
    case SignInOutcome::UserPasswordRejected: return TextKey::UserPasswordWrong;
    case SignInOutcome::MissingCertKey: return TextKey::CertKeyEmpty;
    case SignInOutcome::CertKeyRejected: return TextKey::CertKeyWrong;
    case SignInOutcome::UnknownKind: return TextKey::ConnectFailed;
    }
    return TextKey::ConnectFailed;
}
