#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/opcua_item_data.h"

// Point records for the export tests, owned together with the pointer list the export takes.
class SamplePoints {
public:
    OPCUAItemData& AddNumeric(UA_UInt16 ns, UA_UInt32 id, std::uint16_t typeIndex,
                              std::string dataType = {});
    OPCUAItemData& AddString(UA_UInt16 ns, const std::string& id, std::uint16_t typeIndex,
                             std::string dataType = {});
    OPCUAItemData& AddGuid(UA_UInt16 ns, const UA_Guid& guid, std::uint16_t typeIndex);
    OPCUAItemData& AddOpaque(UA_UInt16 ns, const std::string& bytes, std::uint16_t typeIndex);

    // The handful of points the export checks read back row by row.
    static SamplePoints Handful();

    const std::vector<OPCUAItemData*>& Pointers() const { return pointers_; }

private:
    OPCUAItemData& Add(const UA_NodeId& id, std::uint16_t typeIndex, std::string dataType);

    std::vector<std::unique_ptr<OPCUAItemData>> owned_;
    std::vector<OPCUAItemData*> pointers_;
};

// Stored as the bytes 01 00 00 00 02 00 03 00 AA BB CC DD EE FF 00 11.
UA_Guid SampleGuid();
