#pragma once

#include <optional>
#include <string>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"

class QWidget;

enum class TrustAnswer { Always, ThisTime, Cancel };

// Asks the user about a server certificate the connect stopped at: first contact (with the
// warnings that apply) or a changed certificate, both fingerprints shown. Cancel is the default.
TrustAnswer AskServerTrust(QWidget* parent, const ServerTrust& trust, const std::string& url);

// Records the answer (the trust store for Always, this run for both) and returns the settings
// to connect again with; none for Cancel or when the store could not be written (then a
// message says so).
bool ApplyTrustAnswer(QWidget* parent, TrustAnswer answer, const ServerTrust& trust,
                      ConnectionSettings& settings);

// Both steps; true when the connect should be tried again with `settings`.
bool ResolveUntrustedServer(QWidget* parent, ConnectOutcome outcome,
                            const std::optional<ServerTrust>& trust, ConnectionSettings& settings);
