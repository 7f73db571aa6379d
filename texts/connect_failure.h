#pragma once

#include <optional>
#include <string>

#include "engine/connection_settings.h"
#include "texts/text_table.h"

// The text a failed connect is reported with, in the status line and a message box; none for
// Connected and for an attempt the user gave up (nothing to report).
std::optional<TextKey> FailureText(ConnectOutcome outcome);

// The whole failure text: FailureText's, then what goes with it when known (why nothing
// answered; the pairs the server offers when the chosen one is not among them; where this
// client's certificate is when the server refused it). Empty when FailureText has none.
std::string FailureMessage(ConnectOutcome outcome, const ConnectDetail& detail = {});

// "refused to use the certificate store: PATH is ..." with how to fix it.
std::string UnsafePathText(const UnsafePath& unsafe);
