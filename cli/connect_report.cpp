#include "cli/connect_report.h"

#include <ostream>

#include "cli/certificate_commands.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

std::optional<int> ReportConnect(ConnectOutcome outcome, const ConnectDetail& detail,
                                 const std::optional<ServerTrust>& serverTrust, bool unsecured,
                                 const std::string& url, const std::string& trustServer,
                                 CliStreams& io) {
    if ((outcome == ConnectOutcome::ServerCertificateUntrusted ||
         outcome == ConnectOutcome::ServerCertificateChanged) &&
        serverTrust) {
        return ReportUntrustedServer(*serverTrust, url, trustServer, io);
    }
    // Said whatever follows: the values and the session travelled in clear.
    if (unsecured) io.err << Text(TextKey::CliNoSecureEndpoint) << "\n";
    // The window asks at this point; here the flag is the answer, so nothing is asked.
    if (outcome == ConnectOutcome::PlainPasswordRefused) {
        io.err << Text(TextKey::CliPlainPasswordRefused) << "; "
               << Text(TextKey::CliPlainPasswordHint) << "\n";
        return kCliConnectFailed;
    }
    if (FailureText(outcome)) {
        io.err << FailureMessage(outcome, detail) << "\n";
        if (RefusedForTrust(outcome)) return kCliUntrusted;
        // As the certificate commands say it: the fault is here, not at the server.
        return detail.ownIdentityFailed ? kCliIdentityFailed : kCliConnectFailed;
    }
    return std::nullopt;
}
