#include <algorithm>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/browse_node.h"
#include "engine/browse_node_set.h"
#include "engine/browse_points.h"
#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/read_results.h"
#include "engine/value_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Walk {
    PointRecords points;
    bool sessionLost = false;
    bool interrupted = false;
};

// Breadth-first from the Objects folder. A node is queued once, when it is first met, so a
// node that several objects reference is browsed once and cycles end.
void WalkFromObjects(UA_Client* client, Walk& walk, BrowseStats* stats) {
    NodeIdSet met;
    std::deque<const UA_NodeId*> queue;
    std::vector<UaNodeId> children;
    queue.push_back(met.Insert(UaNodeId::CopyOf(UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER))));
    while (!queue.empty()) {
        if (boost::this_thread::interruption_requested()) {
            walk.interrupted = true;
            return;
        }
        const UA_NodeId* node = queue.front();
        queue.pop_front();
        children.clear();
        switch (BrowseNode(client, *node, children, walk.points, stats)) {
            case BrowseOutcome::kSessionLost:
                walk.sessionLost = true;
                return;
            case BrowseOutcome::kInterrupted:
                walk.interrupted = true;
                return;
            case BrowseOutcome::kComplete:
            case BrowseOutcome::kNodeFailed:
                break;
        }
        if (stats) stats->pointsFound.store(walk.points.Size(), std::memory_order_relaxed);
        for (UaNodeId& child : children) {
            if (const UA_NodeId* added = met.Insert(std::move(child))) queue.push_back(added);
        }
    }
}

// One Read of every point would hold request and response for all of them at once, well over
// a hundred bytes a point at the peak; slices of this size keep that small and cost a few
// round trips more.
constexpr std::size_t kReadSlice = 16384;

// Reads the values slice by slice. When a Read fails as a whole the rest is marked as that
// one was, unread: further Reads would fare no better and each would first try to reconnect.
void ReadInSlices(OPCUABrowser& browser, const std::vector<OPCUAItemData*>& points) {
    std::vector<OPCUAItemData*> slice;
    slice.reserve(std::min(points.size(), kReadSlice));
    for (std::size_t offset = 0; offset < points.size(); offset += slice.size()) {
        if (boost::this_thread::interruption_requested()) return;
        const std::size_t end = std::min(points.size(), offset + kReadSlice);
        slice.assign(points.begin() + static_cast<std::ptrdiff_t>(offset),
                     points.begin() + static_cast<std::ptrdiff_t>(end));
        if (browser.ReadValues(slice) == -1) {
            MarkReadFailed(std::span(points).subspan(end), slice.front()->time);
            return;
        }
    }
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
        Walk walk;
        Clock::time_point start = Clock::now();
        if (client) {
            WalkFromObjects(client.get(), walk, &s);
        } else {
            walk.sessionLost = true;
        }
        s.walkSeconds = SecondsSince(start);
        s.sessionLost = walk.sessionLost;
        s.interrupted = walk.interrupted;
        if (walk.interrupted) return;

        start = Clock::now();
        walk.points.SortDescendingUnique();
        s.sortSeconds = SecondsSince(start);
        s.points = walk.points.Size();

        start = Clock::now();
        if (walk.sessionLost) {
            // Every request would first try to reconnect; mark them as a failed Read does.
            MarkReadFailed(walk.points.Items(), TimeText(0));
        } else {
            ReadInSlices(*this, walk.points.Items());
        }
        s.readSeconds = SecondsSince(start);
        if (boost::this_thread::interruption_requested()) {
            s.interrupted = true;
            return;
        }

        start = Clock::now();
        walk.points.HandOver(*list, s);
        HandOverEndMarker(*list);
        s.handoverSeconds = SecondsSince(start);
    } catch (const boost::thread_interrupted&) {
        // Stopped while waiting for room in the list: what was not handed over is gone with
        // the walk's owners, and nothing more is appended.
        s.interrupted = true;
    }
}
