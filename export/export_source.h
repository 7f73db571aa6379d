#pragma once

#include <optional>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "export/export_context.h"

// What an export says about the session it came from, taken from the settings it connected
// with (never the password) and the server certificate it met, if any. A secure channel shows
// this installation's own certificate, or the user's when signing in with a certificate.
// `unsecured`: security was left open and the server offered none.
ExportSource MakeExportSource(const ConnectionSettings& settings,
                              const std::optional<ServerTrust>& serverTrust,
                              bool unsecured = false);
