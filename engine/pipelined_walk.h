#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "engine/browse_node_set.h"
#include "engine/browse_points.h"
#include "engine/browse_references.h"
#include "engine/request_pipeline.h"
#include "engine/server_limits.h"
#include "engine/ua_types.h"

struct BrowseStats;

// Nodes in one Browse when the server names no limit: a few hundred keep a request and its
// answer well under the message size limits servers commonly set.
inline constexpr std::size_t kDefaultNodesPerBrowse = 500;
// References one Browse answer should carry at most, judged by what the node's kin had (nodes
// as deep, under parents with as many references): an answer of tens of thousands keeps the
// client busy with it alone while the server idles.
inline constexpr std::size_t kReferencesPerBrowse = 5000;
// Nodes in one Browse while none of their kin has been answered for.
inline constexpr std::size_t kProbeNodes = 8;

enum class WalkEnd { kComplete, kSessionLost, kInterrupted };

// The breadth-first walk from Objects with many nodes to a Browse and several Browses on their
// way at once. Nodes are browsed in the order they are first met; every variable target
// becomes a record in `points`. Continuation points are followed with BrowseNext in batches
// and given back when abandoned. A request that times out is tried once more node by node;
// only a lost session ends the walk early.
class PipelinedWalk {
public:
    PipelinedWalk(UA_Client* client, const ServerLimits& limits, PointRecords& points,
                  BrowseStats& stats);
    PipelinedWalk(const PipelinedWalk&) = delete;
    PipelinedWalk& operator=(const PipelinedWalk&) = delete;
    WalkEnd Run();

private:
    enum class Kind { kBrowse, kBrowseNext, kRelease };
    // A node half browsed: the server holds the rest of its references behind `point`.
    struct Queued {
        const UA_NodeId* node;
        std::size_t depth;  // Objects is 0
        std::uint64_t kin;  // depth and the parent's reference count: alike nodes share it
    };
    struct Held {
        const UA_NodeId* node;
        std::size_t depth;
        std::uint64_t kin;
        UaByteString point;
        int emptyPages = 0;
        bool retry = false;  // its last BrowseNext timed out
    };
    struct Batch {
        Kind kind;
        std::vector<const UA_NodeId*> nodes;  // Browse
        std::size_t depth = 0;                // of those nodes
        std::uint64_t kin = 0;                // of those nodes
        std::vector<Held> held;               // BrowseNext
        bool retry = false;                   // a second try: failing again is final
        bool exclusive = false;               // refused nodes tried again, alone on the wire
    };

    void Fill();
    bool SendBrowse(std::vector<const UA_NodeId*> nodes, const Queued& first, bool retry);
    std::size_t NextBatchSize() const;
    bool SendBrowseNext(std::vector<Held> held);
    bool SendRelease();
    bool Send(const void* request, const UA_DataType* requestType, const UA_DataType* responseType,
              Batch batch);
    void Handle(RequestPipeline::Answer& answer);
    void HandleBrowse(Batch& batch, UA_BrowseResponse& response);
    void HandleBrowseNext(Batch& batch, UA_BrowseNextResponse& response);
    void Failed(Batch& batch, UA_StatusCode status);
    void Take(UA_BrowseResult& result, const UA_NodeId* node, std::size_t depth);
    void Fail(std::size_t nodes);
    void Release(UaByteString point);
    std::size_t PointsInFlight() const;
    void GiveBack(std::uint32_t graceMs);

    PointRecords& points_;
    BrowseStats& stats_;
    RequestPipeline pipeline_;
    std::size_t nodesPerBrowse_;
    std::size_t continuationLimit_;

    NodeIdSet met_;
    std::deque<Queued> queue_;     // met, not yet browsed
    std::deque<Queued> timedOut_;  // to be tried once more, one by one
    std::deque<Queued> refused_;   // no continuation point was left for them
    std::unordered_map<std::uint64_t, std::size_t> referencesOfKin_;  // most of one node
    std::size_t refusedBatch_ = 1;
    bool refusedInFlight_ = false;  // such a retry goes out alone
    std::deque<Held> held_;
    std::vector<UaByteString> toRelease_;
    std::unordered_map<std::uint64_t, Batch> inFlight_;
    std::uint64_t nextTag_ = 0;
    std::vector<ChildNode> children_;
    // Each node met, by its address in `met_`: its index in the records' paths.
    std::unordered_map<const UA_NodeId*, std::uint32_t> objectOf_;
    bool sessionLost_ = false;
};
