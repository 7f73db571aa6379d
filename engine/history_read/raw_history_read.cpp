#include "engine/history_read/raw_history_read.h"

#include "engine/history_read/sample_number.h"
#include "engine/ua_types.h"

namespace {

using UaHistoryReadResponse = UaOwned<UA_HistoryReadResponse, UA_TYPES_HISTORYREADRESPONSE>;

// One HistoryRead of `nodeId` from `continuation` on (empty: from the start of the period).
// Everything the request points at is borrowed; the response is owned.
UaHistoryReadResponse ReadOnce(UA_Client* client, const UA_NodeId& nodeId,
                               const HistoryPeriod& period, std::uint32_t perRequest,
                               const UA_ByteString& continuation, bool release) {
    UA_ReadRawModifiedDetails details;
    UA_ReadRawModifiedDetails_init(&details);
    details.isReadModified = false;
    details.startTime = period.start;
    details.endTime = period.end;
    details.numValuesPerNode = perRequest;
    details.returnBounds = false;

    UA_HistoryReadValueId item;
    UA_HistoryReadValueId_init(&item);
    item.nodeId = nodeId;
    item.continuationPoint = continuation;

    UA_HistoryReadRequest request;
    UA_HistoryReadRequest_init(&request);
    UA_ExtensionObject_setValue(&request.historyReadDetails, &details,
                                &UA_TYPES[UA_TYPES_READRAWMODIFIEDDETAILS]);
    // Both: a server may stamp what it stores with its own time only.
    request.timestampsToReturn = UA_TIMESTAMPSTORETURN_BOTH;
    request.releaseContinuationPoints = release;
    request.nodesToRead = &item;
    request.nodesToReadSize = 1;
    return UaHistoryReadResponse::Adopt(UA_Client_Service_historyRead(client, request));
}

// Appends the samples of `data` that lie in `period`; a server may send the end itself.
void TakeSamples(const UA_HistoryData& data, const HistoryPeriod& period,
                 std::vector<HistorySample>& out) {
    out.reserve(out.size() + data.dataValuesSize);
    for (std::size_t i = 0; i < data.dataValuesSize; ++i) {
        const UA_DataValue& dv = data.dataValues[i];
        const UA_DateTime time = dv.hasSourceTimestamp ? dv.sourceTimestamp : dv.serverTimestamp;
        if (time < period.start || time >= period.end) continue;
        HistorySample sample;
        sample.sourceTime = time;
        sample.value = dv.hasValue ? SampleNumber(dv.value) : SampleNumber(UA_Variant{});
        sample.status = dv.hasStatus ? dv.status : UA_STATUSCODE_GOOD;
        out.push_back(sample);
    }
}

}  // namespace

bool MeansNoHistory(UA_StatusCode status) {
    return status == UA_STATUSCODE_BADHISTORYOPERATIONUNSUPPORTED ||
           status == UA_STATUSCODE_BADSERVICEUNSUPPORTED ||
           status == UA_STATUSCODE_BADHISTORYOPERATIONINVALID ||
           status == UA_STATUSCODE_BADNOTSUPPORTED;
}

HistoryResult ReadRawHistory(UA_Client* client, const UA_NodeId& nodeId,
                             const HistoryPeriod& period, std::uint32_t perRequest,
                             const std::function<bool()>& stop) {
    HistoryResult result;
    UaByteString continuation;
    for (;;) {
        if (stop && stop()) {
            // The server keeps the point's place until told otherwise.
            if (continuation->length > 0)
                ReadOnce(client, nodeId, period, perRequest, *continuation, true);
            result.outcome = HistoryOutcome::kCancelled;
            return result;
        }
        UaHistoryReadResponse response =
            ReadOnce(client, nodeId, period, perRequest, *continuation, false);
        ++result.responses;
        UA_StatusCode status = response->responseHeader.serviceResult;
        if (status == UA_STATUSCODE_GOOD && response->resultsSize != 1)
            status = UA_STATUSCODE_BADUNEXPECTEDERROR;
        if (status == UA_STATUSCODE_GOOD) status = response->results[0].statusCode;
        if (UA_StatusCode_isBad(status)) {
            result.outcome =
                MeansNoHistory(status) ? HistoryOutcome::kNoHistory : HistoryOutcome::kFailed;
            result.status = status;
            return result;
        }
        UA_HistoryReadResult& node = response->results[0];
        if (node.historyData.encoding == UA_EXTENSIONOBJECT_DECODED &&
            node.historyData.content.decoded.type == &UA_TYPES[UA_TYPES_HISTORYDATA]) {
            TakeSamples(*static_cast<const UA_HistoryData*>(node.historyData.content.decoded.data),
                        period, result.samples);
        }
        if (node.continuationPoint.length == 0) {
            result.outcome = HistoryOutcome::kRead;
            result.status = status;
            return result;
        }
        // The next request carries the point the server gave; this response gives it up.
        continuation = UaByteString::Adopt(std::move(node.continuationPoint));
    }
}
