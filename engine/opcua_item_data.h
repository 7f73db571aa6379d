#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/object_paths.h"

// One variable node of the server. Owns its texts and a deep copy of its NodeId.
struct OPCUAItemData {
    UA_NodeId nodeId;
    std::uint16_t typeIndex = kNoType;
    bool isArray = false;  // the last value read was an array (or matrix)
    // UserAccessLevel as the walk read it; meaningful only while `accessKnown`.
    std::uint8_t userAccessLevel = 0;
    // The object the walk reached the point through, in `paths`.
    std::uint32_t object = ObjectPaths::kObjects;
    std::string value;
    std::string dataType;
    std::string displayName;
    std::string time;
    std::string quality;
    // Shared by every point of one walk; null for records made elsewhere.
    std::shared_ptr<const ObjectPaths> paths;
    bool accessKnown = false;

    // No type has been read yet; UA_TYPES has far fewer entries.
    static constexpr std::uint16_t kNoType = 0xFFFF;

    OPCUAItemData(const UA_NodeId& id, std::string value, std::string dataType,
                  std::string displayName, std::string time, std::string quality);
    ~OPCUAItemData();

    // "Plant/Line1" below the Objects folder; empty directly under it or without a walk.
    const std::string& Path() const;

    OPCUAItemData(const OPCUAItemData&) = delete;
    OPCUAItemData& operator=(const OPCUAItemData&) = delete;

private:
    friend OPCUAItemData* NewEndMarker();
    friend bool IsEndMarker(const OPCUAItemData& record);
    // Set only by NewEndMarker. A NodeId cannot mark the end: a server may use any of them,
    // ns=1;i=4294967295 included.
    bool endMarker = false;
};

// The record the walk appends after the last point.
OPCUAItemData* NewEndMarker();
// True only for a record made by NewEndMarker, whatever the NodeId of others.
bool IsEndMarker(const OPCUAItemData& record);
