#include <open62541/client_highlevel.h>

#include <optional>
#include <utility>

#include "engine/opcua_browser.h"
#include "engine/value_from_text.h"
#include "engine/value_text.h"

namespace {

// Whether one typed value may replace what the point holds: a scalar of a type with a text form.
// A point the user may write but not read is judged by its ValueRank instead.
UA_StatusCode CheckWritable(UA_Client* client, const UA_NodeId& nodeId) {
    UaVariant current;
    const UA_StatusCode read = UA_Client_readValueAttribute(client, nodeId, current.get());
    if (read == UA_STATUSCODE_GOOD) {
        if (current->type == nullptr || !UA_Variant_isScalar(current.get()) ||
            !IsWritableType(BuiltinTypeIndex(current->type)))
            return UA_STATUSCODE_BADTYPEMISMATCH;
        return UA_STATUSCODE_GOOD;
    }
    if (read != UA_STATUSCODE_BADNOTREADABLE && read != UA_STATUSCODE_BADUSERACCESSDENIED)
        return read;
    UA_Int32 valueRank = 0;
    const UA_StatusCode rank = UA_Client_readValueRankAttribute(client, nodeId, &valueRank);
    if (rank != UA_STATUSCODE_GOOD) return rank;
    return valueRank == UA_VALUERANK_SCALAR ? UA_STATUSCODE_GOOD : UA_STATUSCODE_BADTYPEMISMATCH;
}

}  // namespace

int OPCUABrowser::WriteValue(const UA_NodeId& nodeId, std::string text, int typeIndex,
                             std::string& result) {
    lastWriteStatus = UA_STATUSCODE_BADNOTCONNECTED;
    if (!client) return -1;
    // A text that is no value of the type, or a type without conversion, sends nothing: an
    // empty or guessed value would overwrite what the plant holds.
    lastWriteStatus = UA_STATUSCODE_BADTYPEMISMATCH;
    const std::optional<UaVariant> value = ValueFromText(text, typeIndex);
    if (!value) return -1;
    lastWriteStatus = CheckWritable(client.get(), nodeId);
    if (lastWriteStatus != UA_STATUSCODE_GOOD) return -1;
    lastWriteStatus = UA_Client_writeValueAttribute(client.get(), nodeId, value->get());
    if (lastWriteStatus != UA_STATUSCODE_GOOD) return -1;
    // What the server holds now, which need not be what was typed.
    UaVariant readBack;
    lastWriteStatus = UA_Client_readValueAttribute(client.get(), nodeId, readBack.get());
    if (lastWriteStatus != UA_STATUSCODE_GOOD) return -1;
    std::string rendered;
    if (!VariantToText(*readBack, rendered)) {
        lastWriteStatus = UA_STATUSCODE_BADTYPEMISMATCH;
        return -1;
    }
    lastWriteStatus = UA_STATUSCODE_GOOD;
    result = std::move(rendered);
    return 0;
}
