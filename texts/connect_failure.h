#pragma once

#include "engine/connection_settings.h"
#include "texts/text_table.h"

#include <optional>
#include <string>

// The text a failed connect is reported with, in the status line and a message box; none for
// Connected and for an attempt the user gave up (nothing to report).
std::optional<TextKey> FailureText(ConnectOutcome outcome);

// The whole failure text: FailureText's, then the cause when `detail` knows it (why nothing
// answered; the pairs the server offers when the chosen one is not among them). Empty when
// FailureText has none.
std::string FailureMessage(ConnectOutcome outcome, const ConnectDetail& detail);
