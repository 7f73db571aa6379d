#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <string>

// One variable node of the server. Owns its texts and a deep copy of its NodeId.
struct OPCUAItemData {
    UA_NodeId nodeId;
    std::uint16_t typeIndex = kNoType;
    std::string value;
    std::string dataType;
    std::string displayName;
    std::string time;
    std::string quality;

    // No type has been read yet; UA_TYPES has far fewer entries.
    static constexpr std::uint16_t kNoType = 0xFFFF;

    OPCUAItemData(const UA_NodeId& id, std::string value, std::string dataType,
                  std::string displayName, std::string time, std::string quality);
    ~OPCUAItemData();

    OPCUAItemData(const OPCUAItemData&) = delete;
    OPCUAItemData& operator=(const OPCUAItemData&) = delete;
};

// The record the walk appends after the last point: numeric identifier 0xFFFFFFFF.
OPCUAItemData* NewEndMarker();
// Any namespace counts; only the identifier type and number are looked at.
bool IsEndMarker(const OPCUAItemData& record);
