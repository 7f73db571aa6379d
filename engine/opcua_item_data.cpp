#include "engine/opcua_item_data.h"

#include <new>
#include <utility>

namespace {
constexpr UA_UInt32 kEndMarkerIdentifier = 0xFFFFFFFF;
}

OPCUAItemData::OPCUAItemData(const UA_NodeId& id, std::string value, std::string dataType,
                             std::string displayName, std::string time, std::string quality)
    : value(std::move(value)),
      dataType(std::move(dataType)),
      displayName(std::move(displayName)),
      time(std::move(time)),
      quality(std::move(quality)) {
    // The record's own copy: identifiers must outlive the response they came from.
    if (UA_NodeId_copy(&id, &nodeId) != UA_STATUSCODE_GOOD) throw std::bad_alloc();
}

OPCUAItemData::~OPCUAItemData() { UA_NodeId_clear(&nodeId); }

const std::string& OPCUAItemData::Path() const {
    static const std::string none;
    return paths ? paths->PathOf(object) : none;
}

OPCUAItemData* NewEndMarker() {
    auto* marker =
        new OPCUAItemData(UA_NODEID_NUMERIC(0, kEndMarkerIdentifier), {}, {}, {}, {}, {});
    marker->endMarker = true;
    return marker;
}

bool IsEndMarker(const OPCUAItemData& record) { return record.endMarker; }
