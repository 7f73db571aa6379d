// attributes_bench: how long reading every point's attributes and properties takes for an
// export, and how many requests it sends. The demo server runs as a child process, behind a
// loopback relay that delays each direction by half the round trip.
//
//   attributes_bench [--rtt MS] [--repeat R] [--max-nodes-per-read N] [POINTS]
//   defaults: 10 ms, 3 runs, the server names no limit, 200000 points
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/walk/demo_server_process.h"
#include "engine/attributes/point_attribute_read.h"
#include "engine/opcua_browser.h"
#include "engine/server_limits.h"
#include "tools/demo-server/demo_nodes.h"
#include "tools/demo-server/demo_server.h"
#include "tools/relay/delay_relay.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int rtt = 10;
    int repeat = 3;
    std::size_t points = 200000;
    std::string maxNodesPerRead;
};

struct Run {
    double seconds = 0;
    AttributeReadCounts counts;
    std::size_t complete = 0;  // points whose every attribute came back
};

std::uint16_t PortOf(const std::string& url) {
    return static_cast<std::uint16_t>(std::atoi(url.c_str() + url.rfind(':') + 1));
}

// The generated points as the walk finds them: numeric identifiers in the plant namespace.
std::vector<std::unique_ptr<OPCUAItemData>> GeneratedRecords(std::size_t count, UA_UInt16 ns) {
    std::vector<std::unique_ptr<OPCUAItemData>> records;
    records.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const UA_NodeId id =
            UA_NODEID_NUMERIC(ns, demo::kGeneratedBase + static_cast<UA_UInt32>(k));
        records.push_back(std::make_unique<OPCUAItemData>(id, "", "", "", "", ""));
    }
    return records;
}

bool Measure(const std::string& url, std::span<OPCUAItemData* const> points, Run& run) {
    PointList list;
    OPCUABrowser browser(&list);
    if (browser.ConnectAnonymous(url, 30) != 0) {
        std::fprintf(stderr, "attributes_bench: cannot connect to %s\n", url.c_str());
        return false;
    }
    PointAttributeTable table;
    const Clock::time_point start = Clock::now();
    ServerLimits limits;
    UA_DateTime time = 0;
    if (ReadServerLimits(browser.Client(), limits, time) != UA_STATUSCODE_GOOD) limits = {};
    const bool ok = ReadPointAttributes(browser.Client(), points, limits, table, &run.counts);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.complete = static_cast<std::size_t>(
        std::count_if(table.begin(), table.end(),
                      [](const PointAttributes& a) { return (a.known & 0xFF) == 0xFF; }));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rtt" && i + 1 < argc) {
            o.rtt = std::atoi(argv[++i]);
        } else if (a == "--repeat" && i + 1 < argc) {
            o.repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--max-nodes-per-read" && i + 1 < argc) {
            o.maxNodesPerRead = argv[++i];
        } else {
            o.points = static_cast<std::size_t>(std::atoll(a.c_str()));
        }
    }
    std::vector<std::string> args = {"--port", std::to_string(FreeLoopbackPort()), "--points",
                                     std::to_string(o.points)};
    if (!o.maxNodesPerRead.empty())
        args.insert(args.end(), {"--max-nodes-per-read", o.maxNodesPerRead});
    DemoServerProcess server(QUORVANE_DEMO_SERVER, args);
    if (server.Url().empty()) {
        std::fprintf(stderr, "attributes_bench: the demo server did not start\n");
        return 1;
    }
    DelayRelay relay("127.0.0.1", PortOf(server.Url()), std::chrono::microseconds(o.rtt * 500));
    std::string error;
    if (!relay.Start(&error)) {
        std::fprintf(stderr, "attributes_bench: relay: %s\n", error.c_str());
        return 1;
    }
    // The plant namespace is the first the server adds, index 2.
    const auto owned = GeneratedRecords(o.points, 2);
    std::vector<OPCUAItemData*> points;
    for (const auto& record : owned) points.push_back(record.get());

    std::vector<Run> runs(static_cast<std::size_t>(o.repeat));
    for (Run& run : runs) {
        if (!Measure(relay.Url(), points, run)) return 1;
    }
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    const Run& median = runs[runs.size() / 2];
    std::printf(
        "points=%zu rtt_ms=%d runs=%d median_s=%.3f min_s=%.3f max_s=%.3f attributes_s=%.3f "
        "properties_s=%.3f complete=%zu "
        "attribute_reads=%llu browses=%llu browse_nexts=%llu property_reads=%llu "
        "peak_nodes_per_read=%zu peak_nodes_per_browse=%zu peak_outstanding=%zu\n",
        o.points, o.rtt, o.repeat, median.seconds, runs.front().seconds, runs.back().seconds,
        median.counts.attributeSeconds, median.counts.propertySeconds, median.complete,
        static_cast<unsigned long long>(median.counts.attributeReads),
        static_cast<unsigned long long>(median.counts.browses),
        static_cast<unsigned long long>(median.counts.browseNexts),
        static_cast<unsigned long long>(median.counts.propertyReads),
        median.counts.peakNodesPerRead, median.counts.peakNodesPerBrowse,
        median.counts.peakOutstanding);
    return median.complete == o.points ? 0 : 1;
}
