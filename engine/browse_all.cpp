#include <boost/thread/thread.hpp>
#include <chrono>
#include <memory>

#include "engine/browse_points.h"
#include "engine/browse_session_loss.h"
#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/pipelined_walk.h"
#include "engine/read_results.h"
#include "engine/value_text.h"
#include "engine/walk_read.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void HandOverEndMarker(PointList& list) {
    std::unique_ptr<OPCUAItemData> marker(NewEndMarker());
    list.put(marker.get(), true);
    marker.release();  // the list's now
}

}  // namespace

void OPCUABrowser::BrowseAll() { BrowseAll(nullptr); }

void OPCUABrowser::BrowseAll(BrowseStats* stats) {
    BrowseStats local;
    BrowseStats& s = stats ? *stats : local;
    try {
        PointRecords points;
        Clock::time_point start = Clock::now();
        WalkEnd end = WalkEnd::kSessionLost;
        UA_DateTime limitsTime = 0;
        const UA_StatusCode limits =
            client ? LoadServerLimits(limitsTime,
                                      [] { return boost::this_thread::interruption_requested(); })
                   : UA_STATUSCODE_BADNOTCONNECTED;
        if (limits == UA_STATUSCODE_GOOD) {
            PipelinedWalk walk(client.get(),
                               {*maxNodesPerRead, maxNodesPerBrowse, maxBrowseContinuationPoints},
                               points, s);
            end = walk.Run();
        } else if (!IsSessionLost(limits) && limits != UA_STATUSCODE_BADNOTCONNECTED) {
            // A server that will not tell its limits is walked without them.
            PipelinedWalk walk(client.get(), {}, points, s);
            end = walk.Run();
        }
        s.walkSeconds = SecondsSince(start);
        s.sessionLost = end == WalkEnd::kSessionLost;
        s.interrupted = end == WalkEnd::kInterrupted;
        if (s.interrupted) return;

        start = Clock::now();
        points.SortDescendingUnique();
        s.sortSeconds = SecondsSince(start);
        s.points = points.Size();

        start = Clock::now();
        if (s.sessionLost) {
            // Every request would first try to reconnect; mark them as a failed Read does.
            MarkReadFailed(points.Items(), TimeText(0));
        } else if (ReadWalkValues(client.get(), points.Items(), maxNodesPerRead.value_or(0), s) ==
                   ReadEnd::kSessionLost) {
            s.sessionLost = true;
        }
        s.readSeconds = SecondsSince(start);
        if (boost::this_thread::interruption_requested()) {
            s.interrupted = true;
            return;
        }

        start = Clock::now();
        points.HandOver(*list, s);
        s.endMarkerAt = Clock::now();
        HandOverEndMarker(*list);
        s.handoverSeconds = SecondsSince(start);
    } catch (const boost::thread_interrupted&) {
        // Stopped while waiting for room in the list: what was not handed over is gone with
        // the walk's owners, and nothing more is appended.
        s.interrupted = true;
    }
}
