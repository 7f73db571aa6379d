#include "bench/walk/raw_walk.h"

#include <chrono>
#include <cstring>
#include <deque>
#include <set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct NodeIdLess {
    bool operator()(const UA_NodeId& a, const UA_NodeId& b) const {
        return UA_NodeId_order(&a, &b) == UA_ORDER_LESS;
    }
};

bool IsServer(const UA_String& s) { return s.length == 6 && std::memcmp(s.data, "Server", 6) == 0; }

// Takes the references of one result: variables to `points`, unseen objects to `queue`.
void Take(const UA_BrowseResult& result, std::vector<UA_NodeId>& points,
          std::set<UA_NodeId, NodeIdLess>& seen, std::deque<UA_NodeId>& queue) {
    for (std::size_t i = 0; i < result.referencesSize; ++i) {
        const UA_ReferenceDescription& ref = result.references[i];
        UA_NodeId copy;
        if (ref.nodeClass == UA_NODECLASS_VARIABLE) {
            UA_NodeId_copy(&ref.nodeId.nodeId, &copy);
            points.push_back(copy);
        } else if (!IsServer(ref.displayName.text) && !seen.count(ref.nodeId.nodeId)) {
            UA_NodeId_copy(&ref.nodeId.nodeId, &copy);
            seen.insert(copy);
            queue.push_back(copy);  // shares the identifier with `seen`, which frees it
        }
    }
}

}  // namespace

RawFigures RawWalk(UA_Client* client) {
    RawFigures figures;
    std::vector<UA_NodeId> points;
    std::set<UA_NodeId, NodeIdLess> seen;
    std::deque<UA_NodeId> queue;
    const UA_NodeId objects = UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    seen.insert(objects);
    queue.push_back(objects);

    Clock::time_point start = Clock::now();
    while (!queue.empty()) {
        UA_BrowseDescription description;
        UA_BrowseDescription_init(&description);
        description.nodeId = queue.front();
        queue.pop_front();
        description.browseDirection = UA_BROWSEDIRECTION_FORWARD;
        description.nodeClassMask = UA_NODECLASS_OBJECT | UA_NODECLASS_VARIABLE;
        description.resultMask = UA_BROWSERESULTMASK_ALL;
        UA_BrowseRequest request;
        UA_BrowseRequest_init(&request);
        request.nodesToBrowse = &description;
        request.nodesToBrowseSize = 1;
        UA_BrowseResponse response = UA_Client_Service_browse(client, request);
        ++figures.requests;
        UA_ByteString continuation = UA_BYTESTRING_NULL;
        if (response.responseHeader.serviceResult == UA_STATUSCODE_GOOD &&
            response.resultsSize == 1) {
            Take(response.results[0], points, seen, queue);
            UA_ByteString_copy(&response.results[0].continuationPoint, &continuation);
        }
        UA_BrowseResponse_clear(&response);
        while (continuation.length > 0) {
            UA_BrowseNextRequest next;
            UA_BrowseNextRequest_init(&next);
            next.continuationPoints = &continuation;
            next.continuationPointsSize = 1;
            UA_BrowseNextResponse nextResponse = UA_Client_Service_browseNext(client, next);
            ++figures.requests;
            UA_ByteString_clear(&continuation);
            if (nextResponse.responseHeader.serviceResult == UA_STATUSCODE_GOOD &&
                nextResponse.resultsSize == 1) {
                Take(nextResponse.results[0], points, seen, queue);
                UA_ByteString_copy(&nextResponse.results[0].continuationPoint, &continuation);
            }
            UA_BrowseNextResponse_clear(&nextResponse);
        }
    }
    figures.walkSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    start = Clock::now();
    std::vector<UA_ReadValueId> ids(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        UA_ReadValueId_init(&ids[i]);
        ids[i].nodeId = points[i];
        ids[i].attributeId = UA_ATTRIBUTEID_VALUE;
    }
    UA_ReadRequest read;
    UA_ReadRequest_init(&read);
    read.nodesToRead = ids.data();
    read.nodesToReadSize = ids.size();
    UA_ReadResponse values = UA_Client_Service_read(client, read);
    UA_ReadResponse_clear(&values);
    figures.readSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.points = points.size();

    for (UA_NodeId& id : points) UA_NodeId_clear(&id);
    for (UA_NodeId id : seen) UA_NodeId_clear(&id);
    return figures;
}
