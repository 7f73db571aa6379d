#include <open62541/client_highlevel.h>

#include <optional>
#include <utility>

#include "engine/opcua_browser.h"
#include "engine/value_from_text.h"
#include "engine/value_text.h"

int OPCUABrowser::WriteValue(const UA_NodeId& nodeId, std::string text, int typeIndex,
                             std::string& result) {
    if (!client) return -1;
    // A text that is no value of the type, or a type without conversion, sends nothing: an
    // empty or guessed value would overwrite what the plant holds.
    const std::optional<UaVariant> value = ValueFromText(text, typeIndex);
    if (!value) return -1;
    if (UA_Client_writeValueAttribute(client.get(), nodeId, value->get()) != UA_STATUSCODE_GOOD)
        return -1;
    // What the server holds now, which need not be what was typed.
    UaVariant readBack;
    if (UA_Client_readValueAttribute(client.get(), nodeId, readBack.get()) != UA_STATUSCODE_GOOD)
        return -1;
    std::string rendered;
    if (!VariantToText(*readBack, rendered)) return -1;
    result = std::move(rendered);
    return 0;
}
