#pragma once

#include <optional>
#include <string>

#include "cli/command_line.h"
#include "engine/connection_settings.h"
#include "engine/server_trust.h"

// How a connect of the command line ended, said the one way every command says it: the
// untrusted certificate's lines, the unsecured warning, the failure text. The exit code when
// the command ends here, none when it goes on with the session.
std::optional<int> ReportConnect(ConnectOutcome outcome, const ConnectDetail& detail,
                                 const std::optional<ServerTrust>& serverTrust, bool unsecured,
                                 const std::string& url, const std::string& trustServer,
                                 CliStreams& io);
