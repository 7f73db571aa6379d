#include "cli/discover_command.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <ostream>

#include "cli/discover_options.h"
#include "cli/inventory/open_history.h"
#include "discovery/report/findings_history.h"
#include "discovery/security_findings.h"
#include "engine/library_log.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "export/replacing_file.h"

namespace {

std::string ProgressText(const DiscoveryProgress& p) {
    std::string text = Text(TextKey::DiscoverProgress);
    for (const std::size_t n : {p.probesDone, p.probesTotal, p.servers}) {
        const auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(n));
    }
    return text;
}

// What was found about each server's security goes into the history, where the inventory
// shows it beside the server's scans. A history that cannot be used is said, not fatal.
void RecordInHistory(const DiscoveryResult& result, std::ostream& err) {
    if (result.servers.empty()) return;
    const std::unique_ptr<InventoryStore> store = OpenHistory(err);
    if (!store) return;
    using namespace std::chrono;
    const std::int64_t now =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    if (!RecordFindings(*store, result.servers, now))
        err << "quorvane: " << Text(TextKey::StoreWriteFailed) << store->LastError() << "\n";
}

}  // namespace

int RunDiscoverCommand(const std::vector<std::string>& args, CliStreams& io, bool progressLine) {
    const DiscoverParse parsed = ParseDiscoverOptions(args);
    if (!parsed.options) {
        io.err << "quorvane: " << Text(parsed.error.key) << parsed.error.detail << "\n\n"
               << Text(TextKey::DiscoverUsage);
        return kCliBadArguments;
    }
    const DiscoverOptions& options = *parsed.options;
    if (options.language >= 0) language = options.language;
    SetLibraryLog(options.verbose ? LibraryLog::Stderr : LibraryLog::Silent);

    const std::vector<TrustedCertificate> trusted = TrustStore(PkiRoot()).Load().certificates;
    const std::atomic<bool> cancel{false};
    DiscoveryEvents events;
    if (progressLine) {
        events.progress = [&io](const DiscoveryProgress& p) {
            io.err << "\r" << ProgressText(p) << "\x1b[K" << std::flush;
        };
    }
    const DiscoveryResult result = RunDiscovery(options.request, trusted, cancel, events);
    if (progressLine) io.err << "\r\x1b[K";
    for (const DiscoveryNote& note : result.notes) io.err << Text(note.key) << note.detail << "\n";
    if (!options.noHistory) RecordInHistory(result, io.err);

    const bool toOutput = options.exportPath.empty() || options.exportPath == "-";
    const DiscoveryFormat format = options.format.value_or(
        toOutput ? DiscoveryFormat::Csv : DiscoveryFormatOfPath(options.exportPath));
    const std::string summary = SummaryLine(result.servers, language);
    if (toOutput && format != DiscoveryFormat::Xlsx) {
        io.out << DiscoveryText(result, format, language);
        io.err << summary << "\n";
        return kCliDone;
    }
    ReplacingFile file =
        toOutput ? ReplacingFile::Into(io.dataFd) : ReplacingFile::Begin(options.exportPath);
    if (!WriteDiscovery(result, format, file, language)) {
        io.err << Text(TextKey::ExportFailed);
        if (file.Error() != 0)
            io.err << " " << options.exportPath << ": " << std::strerror(file.Error());
        io.err << "\n";
        return kCliExportFailed;
    }
    (toOutput ? io.err : io.out) << summary << "\n";
    return kCliDone;
}
