#include "cli/command_line.h"

#include <unistd.h>

#include <cstring>
#include <istream>
#include <ostream>

#include "cli/certificate_commands.h"
#include "cli/cli_options.h"
#include "cli/connect_report.h"
#include "cli/discover_command.h"
#include "cli/discover_options.h"
#include "cli/inventory/history_commands.h"
#include "cli/inventory/inventory_run.h"
#include "cli/inventory/scan_recording.h"
#include "cli/inventory/server_scan.h"
#include "cli/password_input.h"
#include "cli/scan_export.h"
#include "cli/watch_command.h"
#include "engine/endpoint_list.h"
#include "engine/library_log.h"
#include "engine/pki_files.h"
#include "os/secret_memory.h"
#include "quorvane_version.h"
#include "texts/connect_failure.h"
#include "texts/export_texts.h"
#include "texts/text_table.h"

namespace {

int BadArguments(CliStreams& io, const CliError& error) {
    io.err << "quorvane: " << Text(error.key) << error.detail << "\n\n"
           << Text(TextKey::CliUsage) << Text(TextKey::CliHistoryUsage)
           << Text(TextKey::CliWatchUsage);
    return kCliBadArguments;
}

int ListServerEndpoints(const ConnectionSettings& settings, CliStreams& io) {
    const EndpointListing listing = ListEndpoints(settings.url, settings.timeoutSeconds);
    if (listing.status != UA_STATUSCODE_GOOD) {
        io.err << FailureMessage(ConnectOutcome::Unreachable, {listing.cause, {}}) << "\n";
        return kCliConnectFailed;
    }
    for (const EndpointInfo& endpoint : listing.endpoints) io.out << EndpointLine(endpoint) << "\n";
    return kCliDone;
}

}  // namespace

bool RefusedForTrust(ConnectOutcome outcome) {
    switch (outcome) {
        case ConnectOutcome::PkiUnsafe:
        case ConnectOutcome::EndpointsChanged:
            return true;
        default:
            return false;
    }
}

int RunCommandLine(const std::vector<std::string>& args, CliStreams& io) {
    language = LanguageOf(args, io.environment);
    if (WantsDiscovery(args)) return RunDiscoverCommand(args, io, ::isatty(STDERR_FILENO) == 1);
    const CliParse parsed = ParseCommandLine(args);
    if (!parsed.options) return BadArguments(io, parsed.error);
    CliOptions options = *parsed.options;
    if (options.language >= 0) language = options.language;
    // The user's store, for the connect, the trust the flags give and the export's names.
    options.settings.pkiRoot = PkiRoot();
    if (options.help) {
        io.out << Text(TextKey::CliUsage) << Text(TextKey::CliHistoryUsage)
               << Text(TextKey::CliWatchUsage) << Text(TextKey::DiscoverUsage);
        return kCliDone;
    }
    if (options.version) {
        io.out << "quorvane " << kQuorvaneVersion << "\n";
        return kCliDone;
    }
    // Standard error carries our one message; the library's lines only when asked for.
    SetLibraryLog(options.verbose ? LibraryLog::Stderr : LibraryLog::Silent);
    if (options.listEndpoints) return ListServerEndpoints(options.settings, io);
    if (options.history.list) return ListScanHistory(options, io);
    if (options.history.diff) return DiffScans(options, io);
    if (!options.history.inventoryFile.empty()) return RunInventory(options, io);

    if (options.showCertificate || !options.exportCertificate.empty())
        return RunCertificateCommand(options, io);

    // Whatever way the run ends, the password does not outlive it in our memory.
    const WipeAtEnd wipePassword(options.settings.password);
    if (options.settings.authKind == 2) {
        // Before the password is held: a core file or a debugger of the same user would see it.
        KeepSecretsOutOfDumps();
        if (!options.passwordEnv.empty()) {
            auto password = io.environment(options.passwordEnv);
            if (!password)
                return BadArguments(io, {TextKey::CliPasswordEnvUnset, options.passwordEnv});
            if (io.forgetEnvironment) io.forgetEnvironment(options.passwordEnv);
            options.settings.password = *password;
            Wipe(*password);
        } else {
            if (io.terminal) io.err << Text(TextKey::CliPasswordPrompt) << std::flush;
            options.settings.password = ReadPasswordLine(io.in, io.terminal);
            if (io.terminal) io.err << "\n";
        }
        if (options.settings.password.empty()) {
            io.err << "quorvane: " << Text(TextKey::CliPasswordMissing) << "\n";
            return kCliConnectFailed;
        }
    }
    if (options.watch.Wanted()) return RunWatch(options, io);

    ExportTarget target{options.exportPath, options.format, -1, options.attributes};
    const bool toOutput = options.exportPath == "-";
    if (toOutput) target.fd = io.dataFd;
    // Every scan goes into the history unless asked not to; a cut-short one marked as such.
    const std::int64_t startedMs = NowMs();
    WalkedHook record;
    if (!options.history.noHistory) {
        record = [&](const std::vector<OPCUAItemData*>& records, bool complete,
                     const std::optional<ServerTrust>& trust) {
            const ScanFacts facts = FactsOf(options.settings, startedMs, NowMs(), complete);
            RecordExportScan(options.settings, trust, facts, records, io.err);
        };
    }
    ScanExportResult result = ScanAndExport(options.settings, target, record);
    // The window's conversation, answered by the flags; the certificate is trusted as soon as
    // the server has shown it, whatever happens to the scan after.
    CliDecider decider(options.trustServer, io);
    for (int attempts = 1;
         attempts < 3 && AfterAttempt(result.outcome, result.serverTrust, options.settings,
                                      decider) == FlowStep::Retry;
         ++attempts)
        result = ScanAndExport(options.settings, target, record);
    if (const auto ended =
            ReportConnect(result.outcome, result.detail, result.serverTrust, result.unsecured,
                          options.settings.url, options.trustServer, io))
        return *ended;
    if (!result.exported.saved) {
        io.err << Text(TextKey::ExportFailed);
        // Why, when the target said so: a FIFO nobody reads, a directory, a full device.
        if (result.exported.error != 0)
            io.err << " " << options.exportPath << ": " << std::strerror(result.exported.error);
        io.err << "\n";
        return kCliExportFailed;
    }
    std::ostream& resultStream = toOutput ? io.err : io.out;
    if (result.sessionLost) {
        // The file may be all the user gets; it is written, but it is not the whole server.
        io.err << FormatText(TextKey::SearchLost, static_cast<long long>(result.points)) << "\n";
    }
    if (result.exported.notExported > 0) {
        // Not a success a script could take for one: the file lacks points.
        io.err << CappedExportText(result.format, result.exported.notExported) << "\n";
        return kCliConnectionLost;
    }
    resultStream << FormatText(TextKey::CliExported, static_cast<long long>(result.points))
                 << options.exportPath << "\n";
    return result.sessionLost ? kCliConnectionLost : kCliDone;
}
