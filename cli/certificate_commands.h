#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/command_line.h"
#include "engine/server_trust.h"
#include "session/connect_flow.h"

// The command line's part in trust: this client's certificate shown or written out, a server
// certificate refused with what the user needs to decide, and --trust-server remembered.

// --show-certificate and --export-certificate FILE; the exit code.
int RunCertificateCommand(const CliOptions& options, CliStreams& io);

// The lines printed when the connect stopped at a server certificate that is not trusted;
// returns kCliUntrusted.
int ReportUntrustedServer(const ServerTrust& trust, const std::string& url,
                          const std::string& trustServer, CliStreams& io);

// The connect's questions answered by the flags: the certificate named with --trust-server is
// trusted always, any other is refused; a password is never consented to here (the options
// that allow it are already in the settings).
class CliDecider : public ConnectDecider {
public:
    CliDecider(std::string trustServer, CliStreams& io)
        : trustServer(std::move(trustServer)), io(io) {}
    bool AllowPlainPassword(const ConnectionSettings&) override { return false; }
    TrustAnswer DecideTrust(const ServerTrust& trust, const std::string& url) override;
    void TrustNotStored(const std::string& where) override;

private:
    std::string trustServer;
    CliStreams& io;
};
