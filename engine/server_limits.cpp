#include "engine/server_limits.h"

#include "engine/ua_types.h"

std::uint32_t LimitFromDataValue(const UA_DataValue& value) {
    if (!value.hasValue || (value.hasStatus && value.status != UA_STATUSCODE_GOOD)) return 0;
    if (UA_Variant_hasScalarType(&value.value, &UA_TYPES[UA_TYPES_UINT32]))
        return *static_cast<const UA_UInt32*>(value.value.data);
    if (UA_Variant_hasScalarType(&value.value, &UA_TYPES[UA_TYPES_UINT16]))
        return *static_cast<const UA_UInt16*>(value.value.data);
    return 0;
}

UA_StatusCode ReadServerLimits(UA_Client* client, ServerLimits& limits, UA_DateTime& timestamp) {
    static constexpr UA_UInt32 kNodes[] = {
        UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERREAD,
        UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERBROWSE,
        UA_NS0ID_SERVER_SERVERCAPABILITIES_MAXBROWSECONTINUATIONPOINTS};
    constexpr std::size_t kCount = sizeof kNodes / sizeof kNodes[0];
    UA_ReadValueId ids[kCount];
    for (std::size_t i = 0; i < kCount; ++i) {
        UA_ReadValueId_init(&ids[i]);
        ids[i].nodeId = UA_NODEID_NUMERIC(0, kNodes[i]);
        ids[i].attributeId = UA_ATTRIBUTEID_VALUE;
    }
    UA_ReadRequest request;
    UA_ReadRequest_init(&request);
    request.nodesToRead = ids;
    request.nodesToReadSize = kCount;
    const UaReadResponse answer = UaReadResponse::Adopt(UA_Client_Service_read(client, request));
    timestamp = answer->responseHeader.timestamp;
    const UA_StatusCode status = answer->responseHeader.serviceResult;
    if (status != UA_STATUSCODE_GOOD) return status;
    limits = ServerLimits{};
    if (answer->resultsSize != kCount) return status;
    limits.maxNodesPerRead = LimitFromDataValue(answer->results[0]);
    limits.maxNodesPerBrowse = LimitFromDataValue(answer->results[1]);
    const std::uint32_t points = LimitFromDataValue(answer->results[2]);
    limits.maxBrowseContinuationPoints = static_cast<std::uint16_t>(points > 0xFFFF ? 0xFFFF : points);
    return status;
}
