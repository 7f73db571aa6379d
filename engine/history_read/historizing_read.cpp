#include "engine/history_read/historizing_read.h"

#include "engine/ua_types.h"

std::vector<bool> ReadHistorizing(UA_Client* client, const std::vector<const UA_NodeId*>& nodeIds) {
    std::vector<bool> historizing(nodeIds.size(), false);
    if (nodeIds.empty()) return historizing;
    std::vector<UA_ReadValueId> items(nodeIds.size());
    for (std::size_t i = 0; i < nodeIds.size(); ++i) {
        UA_ReadValueId_init(&items[i]);
        items[i].nodeId = *nodeIds[i];  // borrowed for the request
        items[i].attributeId = UA_ATTRIBUTEID_HISTORIZING;
    }
    UA_ReadRequest request;
    UA_ReadRequest_init(&request);
    request.nodesToRead = items.data();
    request.nodesToReadSize = items.size();
    request.timestampsToReturn = UA_TIMESTAMPSTORETURN_NEITHER;
    const UaReadResponse response = UaReadResponse::Adopt(UA_Client_Service_read(client, request));
    if (response->responseHeader.serviceResult != UA_STATUSCODE_GOOD ||
        response->resultsSize != nodeIds.size())
        return historizing;
    for (std::size_t i = 0; i < nodeIds.size(); ++i) {
        const UA_DataValue& dv = response->results[i];
        historizing[i] = dv.hasValue &&
                         UA_Variant_hasScalarType(&dv.value, &UA_TYPES[UA_TYPES_BOOLEAN]) &&
                         *static_cast<const UA_Boolean*>(dv.value.data);
    }
    return historizing;
}
