#pragma once

#include "engine/opcua_browser.h"
#include "ui/text_table.h"

#include <optional>

// How one attempt to open a session ended.
enum class SignInOutcome {
    Connected,
    AnonymousRejected,
    MissingUserPassword,
    UserPasswordRejected,
    MissingCertKey,
    CertKeyRejected,
    UnknownKind,
};

// Opens a session on `engine` by `settings.authKind`. Missing credentials are found before any
// connection is tried. A failed kind 2 or 3 attempt leaves `engine` without session (Disconnect).
SignInOutcome SignIn(OPCUABrowser& engine, const ConnectionSettings& settings);

// The text a failed attempt is reported with; none for Connected.
std::optional<TextKey> FailureText(SignInOutcome outcome);
