#pragma once

#include "engine/connection_settings.h"
#include "texts/text_table.h"

#include <optional>

// The text a failed connect is reported with, in the status line and a message box; none for
// Connected and for an attempt the user gave up (nothing to report).
std::optional<TextKey> FailureText(ConnectOutcome outcome);
