#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <string>

#include "engine/opcua_item_data.h"

// One data-change notification as the list shows it, rendered on the subscription's thread so
// that the rows' thread only copies texts.
struct LiveChange {
    std::uint32_t handle = 0;  // the monitored item's client handle
    std::string value;
    std::string dataType;
    std::string time;
    std::string quality;
    std::uint16_t typeIndex = OPCUAItemData::kNoType;  // kNoType: no value came, texts stay
    bool isArray = false;
    UA_DateTime sourceTime = 0;  // 0 when the server sent none
};

// The change `value` of item `handle` makes, with the texts a Read of the same value gives;
// the time shown is the source's, else the server's, else now.
LiveChange ChangeFromDataValue(std::uint32_t handle, const UA_DataValue& value);

// Writes `change` into `record`: quality and time always, the value when one came.
void ApplyChange(OPCUAItemData& record, const LiveChange& change);
