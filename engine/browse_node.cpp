#include "engine/browse_node.h"

#include <boost/thread/thread.hpp>
#include <cstring>
#include <string>
#include <utility>

#include "engine/browse_session_loss.h"
#include "engine/browse_stats.h"
#include "engine/ua_types.h"

namespace {

// A server that keeps handing out continuation points with nothing behind them would hold the
// walk for ever; this many empty pages in a row end the node.
constexpr int kMaxEmptyPages = 8;

void Count(BrowseStats* stats, bool next) {
    if (!stats) return;
    stats->browseRequests.fetch_add(1, std::memory_order_relaxed);
    if (next) stats->browseNextRequests.fetch_add(1, std::memory_order_relaxed);
}

// The requests are built on the stack and only borrow what they carry (the node, the
// continuation point): they own nothing, so nothing in them is freed.
UaBrowseResponse SendBrowse(UA_Client* client, const UA_NodeId& nodeId, BrowseStats* stats) {
    UA_BrowseDescription description;
    UA_BrowseDescription_init(&description);
    description.nodeId = nodeId;
    description.browseDirection = UA_BROWSEDIRECTION_FORWARD;
    description.referenceTypeId = UA_NODEID_NULL;  // every reference type
    description.includeSubtypes = false;
    description.nodeClassMask = UA_NODECLASS_OBJECT | UA_NODECLASS_VARIABLE;
    description.resultMask = UA_BROWSERESULTMASK_ALL;
    UA_BrowseRequest request;
    UA_BrowseRequest_init(&request);
    request.requestedMaxReferencesPerNode = 0;
    request.nodesToBrowse = &description;
    request.nodesToBrowseSize = 1;
    Count(stats, false);
    return UaBrowseResponse::Adopt(UA_Client_Service_browse(client, request));
}

UaBrowseNextResponse SendBrowseNext(UA_Client* client, const UA_ByteString& continuationPoint,
                                    bool release, BrowseStats* stats) {
    UA_BrowseNextRequest request;
    UA_BrowseNextRequest_init(&request);
    request.releaseContinuationPoints = release;
    request.continuationPoints = const_cast<UA_ByteString*>(&continuationPoint);
    request.continuationPointsSize = 1;
    Count(stats, true);
    return UaBrowseNextResponse::Adopt(UA_Client_Service_browseNext(client, request));
}

// Gives a continuation point back to the server. Whether it still knew it does not matter.
void Release(UA_Client* client, const UA_ByteString& continuationPoint, BrowseStats* stats) {
    if (continuationPoint.length == 0) return;
    SendBrowseNext(client, continuationPoint, true, stats);
}

bool IsServerName(const UA_String& name) {
    static constexpr char kServer[] = "Server";
    return name.length == sizeof kServer - 1 && std::memcmp(name.data, kServer, name.length) == 0;
}

std::string TextOf(const UA_String& s) {
    if (s.length == 0) return {};
    return std::string(reinterpret_cast<const char*>(s.data), s.length);
}

// Moves the targets out of `result` into `children` and `points`; the response keeps husks.
void TakeReferences(UA_BrowseResult& result, std::vector<UaNodeId>& children,
                    PointRecords& points) {
    for (std::size_t i = 0; i < result.referencesSize; ++i) {
        UA_ReferenceDescription& ref = result.references[i];
        // Only the local part of the target counts; a server index or namespace URI is ignored.
        UA_NodeId& target = ref.nodeId.nodeId;
        if (ref.nodeClass == UA_NODECLASS_VARIABLE) {
            points.Add(target, TextOf(ref.displayName.text));
        } else if (!IsServerName(ref.displayName.text)) {
            children.push_back(UaNodeId::Adopt(std::move(target)));
        }
    }
}

UaByteString TakeContinuationPoint(UA_BrowseResult& result) {
    return UaByteString::Adopt(std::move(result.continuationPoint));
}

BrowseOutcome FailedService(UA_StatusCode serviceResult) {
    return IsSessionLost(serviceResult) ? BrowseOutcome::kSessionLost : BrowseOutcome::kNodeFailed;
}

}  // namespace

BrowseOutcome BrowseNode(UA_Client* client, const UA_NodeId& nodeId,
                         std::vector<UaNodeId>& children, PointRecords& points,
                         BrowseStats* stats) {
    UaBrowseResponse first = SendBrowse(client, nodeId, stats);
    if (first->responseHeader.serviceResult != UA_STATUSCODE_GOOD)
        return FailedService(first->responseHeader.serviceResult);
    if (first->resultsSize == 0) return BrowseOutcome::kNodeFailed;
    // One description asked, so only the first result is ours.
    TakeReferences(first->results[0], children, points);
    UaByteString continuation = TakeContinuationPoint(first->results[0]);
    const bool refused = first->results[0].statusCode != UA_STATUSCODE_GOOD;

    int emptyPages = 0;
    while (continuation->length > 0) {
        if (boost::this_thread::interruption_requested()) {
            Release(client, *continuation, stats);
            return BrowseOutcome::kInterrupted;
        }
        UaBrowseNextResponse next = SendBrowseNext(client, *continuation, false, stats);
        const UA_StatusCode service = next->responseHeader.serviceResult;
        if (service != UA_STATUSCODE_GOOD) {
            // A lost session took its continuation points with it; anything else may not have.
            if (!IsSessionLost(service)) Release(client, *continuation, stats);
            return FailedService(service);
        }
        if (next->resultsSize == 0) {
            Release(client, *continuation, stats);
            return BrowseOutcome::kNodeFailed;
        }
        UA_BrowseResult& page = next->results[0];
        TakeReferences(page, children, points);
        // The server has used up the old point; the new one, if any, is the one to follow.
        continuation = TakeContinuationPoint(page);
        if (page.statusCode != UA_STATUSCODE_GOOD) {
            Release(client, *continuation, stats);
            return BrowseOutcome::kNodeFailed;
        }
        emptyPages = page.referencesSize == 0 ? emptyPages + 1 : 0;
        if (emptyPages >= kMaxEmptyPages) {
            Release(client, *continuation, stats);
            return BrowseOutcome::kNodeFailed;
        }
    }
    return refused ? BrowseOutcome::kNodeFailed : BrowseOutcome::kComplete;
}
