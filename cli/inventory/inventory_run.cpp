#include "cli/inventory/inventory_run.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include "cli/inventory/inventory_file.h"
#include "cli/inventory/inventory_table.h"
#include "cli/inventory/open_history.h"
#include "cli/inventory/scan_recording.h"
#include "cli/inventory/server_scan.h"
#include "export/replacing_file.h"
#include "history/change_texts.h"
#include "history/since_last_scan.h"
#include "texts/connect_failure.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ServerResult {
    ServerScan scan;
    int exitCode = kCliDone;
    double walkSeconds = 0;
    double storeSeconds = 0;
};

// The worse of two exit codes: an output not written, then a server not scanned whole, then
// one not trusted.
int Worse(int a, int b) {
    auto rank = [](int code) {
        switch (code) {
            case kCliDone:
                return 0;
            case kCliUntrusted:
                return 1;
            case kCliConnectionLost:
                return 2;
            default:
                return 3;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

TableFormat FormatFor(const CliOptions& options, const std::string& path) {
    if (options.history.json) return TableFormat::Json;
    if (options.format == ExportFormat::Xlsx) return TableFormat::Xlsx;
    if (options.format == ExportFormat::Csv) return TableFormat::Csv;
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension == ".xlsx") return TableFormat::Xlsx;
    if (extension == ".json") return TableFormat::Json;
    return TableFormat::Csv;
}

const char* Extension(TableFormat format) {
    switch (format) {
        case TableFormat::Xlsx:
            return ".xlsx";
        case TableFormat::Json:
            return ".json";
        case TableFormat::Csv:
            break;
    }
    return ".csv";
}

// "UA_127.0.0.1_4840.csv": host and port, so that servers on one machine get files of their own.
std::string FileNameFor(const std::string& url, TableFormat format) {
    std::string name = url.rfind("opc.tcp://", 0) == 0 ? url.substr(10) : url;
    for (char& c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
        if (!plain) c = '_';
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    return "UA_" + name + Extension(format);
}

std::string SecondsText(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms / 1000.0);
    return text;
}

// The summary line of one server, and the exit code it stands for.
int Summarize(const std::string& url, const ServerScan& scan, const std::string& changes,
              std::string& line) {
    const std::string seconds = SecondsText(scan.endedMs - scan.startedMs);
    if (scan.outcome == ConnectOutcome::Connected) {
        line = FillText(scan.complete ? TextKey::InventoryScanned : TextKey::InventoryCutShort,
                        {{"url", url},
                         {"points", std::to_string(scan.points.size())},
                         {"seconds", seconds}}) +
               changes;
        return scan.complete ? kCliDone : kCliConnectionLost;
    }
    if ((scan.outcome == ConnectOutcome::ServerCertificateUntrusted ||
         scan.outcome == ConnectOutcome::ServerCertificateChanged) &&
        scan.serverTrust) {
        line =
            FillText(TextKey::InventoryUntrusted,
                     {{"url", url},
                      {"fingerprint", FingerprintText(scan.serverTrust->presented.fingerprint)}});
        return kCliUntrusted;
    }
    line = FillText(TextKey::InventoryFailed, {{"url", url}}) +
           FailureMessage(scan.outcome, scan.detail);
    // Skipped as an untrusted server is, and as the export command judges it.
    return RefusedForTrust(scan.outcome) ? kCliUntrusted : kCliConnectionLost;
}

// Records the scan and tells what changed since the last complete one.
std::string RecordAndCompare(InventoryStore& store, const InventoryEntry& entry,
                             const ServerScan& scan, std::ostream& err, std::mutex& errLock) {
    std::string changes;
    if (scan.complete) {
        const auto since = CompareWithLastScan(store, entry.settings.url, scan.points);
        changes = since ? FillText(TextKey::InventoryChanges,
                                   {{"added", std::to_string(since->comparison.added)},
                                    {"removed", std::to_string(since->comparison.removed)},
                                    {"changed", std::to_string(since->comparison.changed)}})
                        : Text(TextKey::InventoryFirstScan);
    }
    const ScanFacts facts = FactsOf(entry.settings, scan.startedMs, scan.endedMs, scan.complete);
    if (!store.RecordScan(IdentityOf(entry.settings.url, scan.serverTrust), facts, scan.points)) {
        std::lock_guard lock(errLock);
        err << "quorvane: " << entry.settings.url << ": " << Text(TextKey::StoreWriteFailed)
            << store.LastError() << "\n";
    }
    return changes;
}

int BadLine(CliStreams& io, const std::string& file, std::size_t line, const CliError& error) {
    io.err << "quorvane: "
           << FillText(TextKey::CliInventoryBadLine,
                       {{"file", file}, {"line", std::to_string(line)}})
           << Text(error.key) << error.detail << "\n";
    return kCliBadArguments;
}

}  // namespace

int RunInventory(const CliOptions& options, CliStreams& io, InventoryTimings* timings) {
    const auto start = Clock::now();
    const std::string& path = options.history.inventoryFile;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.is_open() || in.bad()) {
        io.err << "quorvane: " << Text(TextKey::CliInventoryCannotRead) << path << "\n";
        return kCliBadArguments;
    }
    InventoryFile inventory = ParseInventory(text.str());
    if (inventory.badLine != 0) return BadLine(io, path, inventory.badLine, inventory.error);
    for (InventoryEntry& entry : inventory.servers) {
        if (entry.settings.authKind != 2) continue;
        const auto password = io.environment(entry.passwordEnv);
        if (!password)
            return BadLine(io, path, entry.line, {TextKey::CliPasswordEnvUnset, entry.passwordEnv});
        entry.settings.password = *password;
    }

    std::unique_ptr<InventoryStore> store;
    if (!options.history.noHistory) {
        store = OpenHistory(io.err);
        if (!store) return kCliExportFailed;
    }

    std::vector<ServerResult> results(inventory.servers.size());
    std::atomic<std::size_t> next{0};
    std::mutex errLock;
    const bool keepPoints = !options.exportPath.empty();
    auto worker = [&] {
        for (std::size_t i = next++; i < results.size(); i = next++) {
            const InventoryEntry& entry = inventory.servers[i];
            ServerResult& result = results[i];
            const auto walkStart = Clock::now();
            result.scan = ScanServer(entry.settings);
            result.walkSeconds = Since(walkStart);
            std::string changes;
            if (store && result.scan.outcome == ConnectOutcome::Connected) {
                const auto storeStart = Clock::now();
                changes = RecordAndCompare(*store, entry, result.scan, io.err, errLock);
                result.storeSeconds = Since(storeStart);
            }
            std::string line;
            result.exitCode = Summarize(entry.settings.url, result.scan, changes, line);
            {
                std::lock_guard lock(errLock);
                io.err << line << "\n";
            }
            if (!keepPoints) {
                if (timings) timings->points += result.scan.points.size();
                std::vector<StoredPoint>().swap(result.scan.points);
            }
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(options.history.Jobs()), results.size());
    for (std::size_t i = 0; i < count; ++i) workers.emplace_back(worker);
    for (std::thread& thread : workers) thread.join();

    int exitCode = kCliDone;
    for (const ServerResult& result : results) {
        exitCode = Worse(exitCode, result.exitCode);
        if (timings) {
            timings->walkSeconds += result.walkSeconds;
            timings->storeSeconds += result.storeSeconds;
            if (keepPoints) timings->points += result.scan.points.size();
        }
    }

    const auto exportStart = Clock::now();
    if (keepPoints) {
        const std::string& target = options.exportPath;
        const TableFormat format = FormatFor(options, target == "-" ? "" : target);
        auto write = [&](const std::vector<ServerPoints>& servers, const std::string& file) {
            ReplacingFile out =
                file == "-" ? ReplacingFile::Into(io.dataFd) : ReplacingFile::Begin(file);
            if (WriteInventoryTable(servers, format, out)) return true;
            io.err << "quorvane: " << Text(TextKey::CliInventoryExportFailed) << file << "\n";
            return false;
        };
        bool written = true;
        if (!target.empty() && target.back() == '/') {
            std::error_code error;
            std::filesystem::create_directories(target, error);
            for (std::size_t i = 0; i < results.size(); ++i) {
                if (results[i].scan.outcome != ConnectOutcome::Connected) continue;
                const std::string& url = inventory.servers[i].settings.url;
                written &=
                    write({{url, &results[i].scan.points}}, target + FileNameFor(url, format));
            }
        } else {
            std::vector<ServerPoints> servers;
            for (std::size_t i = 0; i < results.size(); ++i) {
                if (results[i].scan.outcome == ConnectOutcome::Connected)
                    servers.push_back({inventory.servers[i].settings.url, &results[i].scan.points});
            }
            written = write(servers, target);
        }
        if (!written) exitCode = Worse(exitCode, kCliExportFailed);
    }
    if (timings) {
        timings->exportSeconds = Since(exportStart);
        timings->totalSeconds = Since(start);
    }
    return exitCode;
}
