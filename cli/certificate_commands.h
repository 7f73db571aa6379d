#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "engine/server_trust.h"

// The command line's part in trust: this client's certificate shown or written out, a server
// certificate refused with what the user needs to decide, and --trust-server remembered.

// --show-certificate and --export-certificate FILE; the exit code.
int RunCertificateCommand(const CliOptions& options, CliStreams& io);

// The lines printed when the connect stopped at a server certificate that is not trusted;
// returns kCliUntrusted.
int ReportUntrustedServer(const ServerTrust& trust, const std::string& url,
                          const std::string& trustServer, CliStreams& io);

// Stores the server certificate the user named with --trust-server once the connect has shown
// it is the one presented; false (with a line on the error stream) when it could not be stored.
bool RememberTrustedServer(const std::optional<ServerTrust>& trust, const std::string& url,
                           const std::string& trustServer, CliStreams& io);
