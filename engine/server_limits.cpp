#include "engine/server_limits.h"

#include <iterator>
#include <optional>
#include <span>

#include "engine/read_request.h"
#include "engine/request_pipeline.h"
#include "engine/ua_types.h"

std::uint32_t LimitFromDataValue(const UA_DataValue& value) {
    if (!value.hasValue || (value.hasStatus && value.status != UA_STATUSCODE_GOOD)) return 0;
    if (UA_Variant_hasScalarType(&value.value, &UA_TYPES[UA_TYPES_UINT32]))
        return *static_cast<const UA_UInt32*>(value.value.data);
    if (UA_Variant_hasScalarType(&value.value, &UA_TYPES[UA_TYPES_UINT16]))
        return *static_cast<const UA_UInt16*>(value.value.data);
    return 0;
}

UA_StatusCode ReadServerLimits(UA_Client* client, ServerLimits& limits, UA_DateTime& timestamp,
                               const std::function<bool()>& stop) {
    static const UA_NodeId kNodes[] = {
        UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERREAD),
        UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXNODESPERBROWSE),
        UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_SERVERCAPABILITIES_MAXBROWSECONTINUATIONPOINTS)};
    constexpr std::size_t kCount = std::size(kNodes);
    ReadRequestBuilder builder;
    const UA_ReadRequest& request = builder.Build(std::span<const UA_NodeId>(kNodes));
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    timestamp = 0;
    std::optional<UaAnyResponse> response =
        AwaitAnswer(client, &request, &UA_TYPES[UA_TYPES_READREQUEST],
                    &UA_TYPES[UA_TYPES_READRESPONSE], stop, status);
    if (!response) return status;
    const UA_ReadResponse& answer = response->As<UA_ReadResponse>();
    timestamp = answer.responseHeader.timestamp;
    if (status != UA_STATUSCODE_GOOD) return status;
    limits = ServerLimits{};
    if (answer.resultsSize != kCount) return status;
    limits.maxNodesPerRead = LimitFromDataValue(answer.results[0]);
    limits.maxNodesPerBrowse = LimitFromDataValue(answer.results[1]);
    const std::uint32_t points = LimitFromDataValue(answer.results[2]);
    limits.maxBrowseContinuationPoints =
        static_cast<std::uint16_t>(points > 0xFFFF ? 0xFFFF : points);
    return status;
}
