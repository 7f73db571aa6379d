#include "engine/read_results.h"

#include <algorithm>
#include <utility>

#include "engine/opcua_browser.h"
#include "engine/ua_types.h"
#include "engine/value_text.h"

namespace {

using Records = std::span<OPCUAItemData* const>;

// Where batching starts when the server named no limit but refused a Read for its size.
constexpr std::size_t kFirstFallbackBatch = 1000;

// Reads the Value attribute of `records`. The ids only borrow the records' NodeIds, which stay
// put for the call, so nothing is copied per point and the request owns nothing to free.
UaReadResponse SendRead(UA_Client* client, Records records, std::vector<UA_ReadValueId>& ids) {
    ids.resize(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        UA_ReadValueId& id = ids[i];
        UA_ReadValueId_init(&id);
        id.nodeId = records[i]->nodeId;
        id.attributeId = UA_ATTRIBUTEID_VALUE;
    }
    UA_ReadRequest request;
    UA_ReadRequest_init(&request);
    request.nodesToRead = ids.data();
    request.nodesToReadSize = ids.size();
    return UaReadResponse::Adopt(UA_Client_Service_read(client, request));
}

UaReadResponse ReadMaxNodesPerRead(UA_Client* client) {
    UA_ReadValueId id;
    UA_ReadValueId_init(&id);
    id.nodeId =
        UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERREAD);
    id.attributeId = UA_ATTRIBUTEID_VALUE;
    UA_ReadRequest request;
    UA_ReadRequest_init(&request);
    request.nodesToRead = &id;
    request.nodesToReadSize = 1;
    return UaReadResponse::Adopt(UA_Client_Service_read(client, request));
}

struct Batch {
    std::size_t offset;
    std::size_t count;
    UaReadResponse response;
};

// Reads `all` in batches of at most `batchSize`, halving it whenever the server refuses one for
// its size. The records change only once every batch has been answered, so a failure part way
// leaves them as one failed Read would: values untouched, all "BAD". Every record of the call
// gets the same time text. `batchSize` ends as the size the server took.
int ReadInBatches(UA_Client* client, Records all, std::size_t& batchSize) {
    std::vector<UA_ReadValueId> ids;
    std::vector<Batch> batches;
    batches.reserve(all.size() / batchSize + 1);
    std::string timeText;
    for (std::size_t offset = 0; offset < all.size();) {
        const std::size_t count = std::min(batchSize, all.size() - offset);
        UaReadResponse response = SendRead(client, all.subspan(offset, count), ids);
        const UA_ResponseHeader& header = response->responseHeader;
        if (timeText.empty()) timeText = TimeText(header.timestamp);
        if (header.serviceResult == UA_STATUSCODE_GOOD) {
            batches.push_back({offset, count, std::move(response)});
            offset += count;
        } else if (IsReadLimitStatus(header.serviceResult) && count > 1) {
            batchSize = count / 2;
        } else {
            MarkReadFailed(all, timeText);
            return -1;
        }
    }
    bool complete = true;
    for (const Batch& batch : batches)
        complete &= StoreReadResults(all.subspan(batch.offset, batch.count), *batch.response, timeText);
    if (!complete) MarkReadFailed(all, timeText);
    return complete ? 0 : -1;
}

}  // namespace

int OPCUABrowser::ReadValues(const std::vector<OPCUAItemData*>& records) {
    if (records.empty()) return -2;
    const Records all(records);
    if (!client) {
        // As a Read that never got an answer: no server time, so the time origin.
        MarkReadFailed(all, TimeText(0));
        return -1;
    }

    // One Read of one node can exceed no limit, so only larger reads need to know it.
    std::size_t limit = 0;
    if (all.size() > 1) {
        if (!maxNodesPerRead) {
            UaReadResponse answer = ReadMaxNodesPerRead(client.get());
            if (answer->responseHeader.serviceResult != UA_STATUSCODE_GOOD) {
                // The session is gone or the server refuses Reads; the values would fare no better.
                MarkReadFailed(all, TimeText(answer->responseHeader.timestamp));
                return -1;
            }
            maxNodesPerRead = ReadLimitFromResponse(*answer);
        }
        limit = *maxNodesPerRead;
    }

    std::size_t batchSize = limit;
    if (limit == 0 || all.size() <= limit) {
        std::vector<UA_ReadValueId> ids;
        UaReadResponse whole = SendRead(client.get(), all, ids);
        const UA_ResponseHeader& header = whole->responseHeader;
        if (header.serviceResult == UA_STATUSCODE_GOOD) {
            return StoreReadResults(all, *whole, TimeText(header.timestamp)) ? 0 : -1;
        }
        if (!IsReadLimitStatus(header.serviceResult) || all.size() == 1) {
            MarkReadFailed(all, TimeText(header.timestamp));
            return -1;
        }
        batchSize = std::min(all.size() / 2, limit == 0 ? kFirstFallbackBatch : limit);
    }

    const int result = ReadInBatches(client.get(), all, batchSize);
    // Later reads of this session start at a size the server took.
    if (result == 0 && (limit == 0 || batchSize < limit))
        maxNodesPerRead = static_cast<std::uint32_t>(batchSize);
    return result;
}
