#include "sample_points.h"

OPCUAItemData& SamplePoints::Add(const UA_NodeId& id, std::uint16_t typeIndex,
                                 std::string dataType) {
    owned_.push_back(std::make_unique<OPCUAItemData>(id, "", std::move(dataType), "", "", ""));
    owned_.back()->typeIndex = typeIndex;
    pointers_.push_back(owned_.back().get());
    return *owned_.back();
}

OPCUAItemData& SamplePoints::AddNumeric(UA_UInt16 ns, UA_UInt32 id, std::uint16_t typeIndex,
                                        std::string dataType) {
    return Add(UA_NODEID_NUMERIC(ns, id), typeIndex, std::move(dataType));
}

OPCUAItemData& SamplePoints::AddString(UA_UInt16 ns, const std::string& id, std::uint16_t typeIndex,
                                       std::string dataType) {
    UA_NodeId node = UA_NODEID_NUMERIC(ns, 0);
    node.identifierType = UA_NODEIDTYPE_STRING;
    node.identifier.string.length = id.size();
    node.identifier.string.data = reinterpret_cast<UA_Byte*>(const_cast<char*>(id.data()));
    return Add(node, typeIndex, std::move(dataType));  // the record copies the identifier
}

OPCUAItemData& SamplePoints::AddGuid(UA_UInt16 ns, const UA_Guid& guid, std::uint16_t typeIndex) {
    return Add(UA_NODEID_GUID(ns, guid), typeIndex, {});
}

OPCUAItemData& SamplePoints::AddOpaque(UA_UInt16 ns, const std::string& bytes,
                                       std::uint16_t typeIndex) {
    UA_NodeId node = UA_NODEID_NUMERIC(ns, 0);
    node.identifierType = UA_NODEIDTYPE_BYTESTRING;
    node.identifier.byteString.length = bytes.size();
    node.identifier.byteString.data = reinterpret_cast<UA_Byte*>(const_cast<char*>(bytes.data()));
    return Add(node, typeIndex, {});
}

UA_Guid SampleGuid() {
    UA_Guid guid{};
    guid.data1 = 1;
    guid.data2 = 2;
    guid.data3 = 3;
    const UA_Byte rest[8] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11};
    for (int i = 0; i < 8; ++i) guid.data4[i] = rest[i];
    return guid;
}

SamplePoints SamplePoints::Handful() {
    SamplePoints points;
    points.AddNumeric(2, 1001, 5);                            // Int32
    points.AddString(3, "Tank.Level", 10);                    // Double
    points.AddGuid(4, SampleGuid(), 1);                       // SByte
    points.AddOpaque(5, std::string("\x01\x02\xFF", 3), 11);  // String
    points.AddNumeric(2, 1002, 8, "UInt64");
    points.AddString(2, std::string(600, 'L'), 20);                                // LocalizedText
    points.AddString(1, "\xE6\xB3\xB5.\xE5\x8E\x8B\xE5\x8A\x9B", 12, "DateTime");  // 泵.压力
    points.AddNumeric(0, 4294967294u, 13);  // Guid: outside the table
    // Paths for the formats that carry them; the .xls has no place for them.
    auto paths = std::make_shared<ObjectPaths>();
    const std::uint32_t line = paths->Add(paths->Add(ObjectPaths::kObjects, "Plant"), "Line1");
    const std::uint32_t station = paths->Add(ObjectPaths::kObjects, "\xE6\xB3\xB5\xE7\xAB\x99");
    for (auto [row, object] : {std::pair{1, line}, std::pair{6, station}}) {
        points.pointers_[static_cast<std::size_t>(row)]->paths = paths;
        points.pointers_[static_cast<std::size_t>(row)]->object = object;
    }
    // What the list shows of two of them, which only the text formats carry.
    OPCUAItemData& level = *points.pointers_[1];
    level.displayName = "Level";
    level.value = "3.142";
    level.quality = "GOOD";
    level.time = "2024-08-05 14:03:09";
    level.dataType = "Double";
    OPCUAItemData& pressure = *points.pointers_[6];
    pressure.displayName = "\xE5\x8E\x8B\xE5\x8A\x9B";  // 压力
    pressure.value = "5-8-2024 6:3:9.007";
    pressure.quality = "UNCERTAIN";
    return points;
}
