#include "cli/watch_command.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ostream>

#include "cli/certificate_commands.h"
#include "cli/connect_report.h"
#include "cli/watch_line.h"
#include "engine/live/live_subscription.h"
#include "engine/node_id_text.h"
#include "engine/opcua_browser.h"
#include "texts/text_table.h"

namespace {

// How long one turn waits for the server before the clock and the signals are looked at.
constexpr std::chrono::milliseconds kWatchTurn{200};

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

// SIGINT and SIGTERM end the watch at its next turn instead of the process; the old handlers
// come back with the watch's end.
class StopOnSignals {
public:
    StopOnSignals() {
        stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = &RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt);
        sigaction(SIGTERM, &action, &oldTerm);
    }
    ~StopOnSignals() {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
};

}  // namespace

int RunWatch(const CliOptions& options, CliStreams& io) {
    const WatchOptions& watch = options.watch;
    const bool json = options.format == ExportFormat::Json;
    // Every NodeId is read before anything is sent: a typing error is the user's to fix.
    std::vector<MonitorRequest> items;
    std::vector<std::string> names;
    for (const std::string& text : watch.nodeIds) {
        UaNodeId id;
        if (UA_NodeId_parse(id.get(), UA_STRING(const_cast<char*>(text.c_str()))) !=
            UA_STATUSCODE_GOOD) {
            io.err << "quorvane: " << Text(TextKey::CliWatchBadNodeId) << text << "\n";
            return kCliBadArguments;
        }
        names.push_back(NodeIdToText(*id));
        items.push_back({static_cast<std::uint32_t>(items.size() + 1), std::move(id)});
    }

    ConnectionSettings settings = options.settings;
    PointList list;
    OPCUABrowser engine(&list);
    ConnectOutcome outcome = engine.Connect(settings);
    // The same conversation as a scan, answered by the flags.
    CliDecider decider(options.trustServer, io);
    for (int attempts = 1; attempts < 3 && AfterAttempt(outcome, engine.LastServerTrust(), settings,
                                                        decider) == FlowStep::Retry;
         ++attempts)
        outcome = engine.Connect(settings);
    if (const auto ended =
            ReportConnect(outcome, engine.LastConnectDetail(), engine.LastServerTrust(),
                          engine.LastChannelUnsecured(), settings.url, options.trustServer, io))
        return *ended;
    if (outcome != ConnectOutcome::Connected) return kCliConnectFailed;

    int code = kCliDone;
    {
        UA_StatusCode status = UA_STATUSCODE_GOOD;
        auto live = LiveSubscription::Create(engine.Client(), watch.samplingMs, status);
        if (!live) {
            io.err << "quorvane: " << Text(TextKey::CliWatchRefused) << UA_StatusCode_name(status)
                   << "\n";
            engine.Disconnect();
            return kCliWatchRefused;
        }
        std::vector<std::pair<std::uint32_t, UA_StatusCode>> refused;
        status = live->Add(items, refused);
        for (const auto& [handle, why] : refused)
            io.err << "quorvane: " << names[handle - 1] << ": " << UA_StatusCode_name(why) << "\n";
        if (status != UA_STATUSCODE_GOOD || refused.size() == items.size()) {
            if (status != UA_STATUSCODE_GOOD)
                io.err << "quorvane: " << Text(TextKey::CliWatchRefused)
                       << UA_StatusCode_name(status) << "\n";
            live.reset();
            engine.Disconnect();
            return kCliWatchRefused;
        }

        const StopOnSignals signals;
        const auto end =
            watch.seconds ? std::chrono::steady_clock::now() + std::chrono::seconds(*watch.seconds)
                          : std::chrono::steady_clock::time_point::max();
        std::vector<LiveChange> changes;
        while (stopRequested == 0 && std::chrono::steady_clock::now() < end) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            status = live->Collect(std::min<std::chrono::milliseconds>(left, kWatchTurn), changes,
                                   [] { return stopRequested != 0; });
            const UA_DateTime now = UA_DateTime_now();
            for (const LiveChange& change : changes) {
                if (change.handle == 0 || change.handle > names.size()) continue;
                // Each line on its own: a script reading the pipe sees it at once.
                io.out << WatchLine(change, names[change.handle - 1], now, json) << "\n"
                       << std::flush;
            }
            changes.clear();
            if (status != UA_STATUSCODE_GOOD) {
                io.err << "quorvane: " << Text(TextKey::CliWatchLost) << UA_StatusCode_name(status)
                       << "\n";
                code = kCliConnectionLost;
                break;
            }
        }
    }
    engine.Disconnect();
    return code;
}
