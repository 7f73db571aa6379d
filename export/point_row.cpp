#include "export/point_row.h"

#include "engine/node_id_text.h"
#include "engine/opcua_item_data.h"
#include "export/util/utf_convert.h"

namespace {

// By index into UA_TYPES.
constexpr std::uint16_t kBoolean = 0, kSByte = 1, kByte = 2, kInt16 = 3, kUInt16 = 4, kInt32 = 5,
                        kUInt32 = 6, kInt64 = 7, kUInt64 = 8, kFloat = 9, kDouble = 10,
                        kString = 11, kDateTime = 12, kByteString = 14, kLocalizedText = 20;

std::u16string WideArea(std::string_view utf8, std::size_t areaSize) {
    return Utf8ToUtf16(FitToArea(utf8, areaSize));
}

}  // namespace

std::string_view FitToArea(std::string_view text, std::size_t areaSize) {
    text = text.substr(0, text.find('\0'));
    return text.substr(0, areaSize - 1);
}

std::string DataTypeColumn(const OPCUAItemData& point) {
    switch (point.typeIndex) {
        case kBoolean:
            return "Boolean";
        case kSByte:
        case kByte:
        case kUInt16:
            return "Word";
        case kInt16:
            return "Short";
        case kInt32:
            return "Long";
        case kUInt32:
            return "DWord";
        case kInt64:
        case kUInt64:
        case kDateTime:
            return std::string(FitToArea(point.dataType, PointRow::kDataTypeArea));
        case kFloat:
            return "Float";
        case kDouble:
            return "Double";
        case kString:
        case kByteString:
        case kLocalizedText:
            return "String";
        default:
            return {};
    }
}

PointRow MakePointRow(const OPCUAItemData& point, std::size_t number) {
    PointRow row;
    row.id = FitToArea(std::to_string(number), PointRow::kIdArea);
    row.dataType = DataTypeColumn(point);
    row.path = point.Path();

    const UA_NodeId& node = point.nodeId;
    const std::string ns = "ns=" + std::to_string(node.namespaceIndex);
    std::string name;
    std::string address;
    switch (node.identifierType) {
        case UA_NODEIDTYPE_NUMERIC:
            name = std::to_string(node.identifier.numeric);
            address = ns + ";i=" + name;
            break;
        case UA_NODEIDTYPE_STRING: {
            // As the list shows it: control characters escaped, so a NUL no longer cuts it.
            const std::string identifier = IdentifierText(node.identifier.string);
            name = FitToArea(identifier, PointRow::kNameArea);
            address = ns + ";s=" + std::string(FitToArea(identifier, PointRow::kRegAddressArea));
            break;
        }
        case UA_NODEIDTYPE_GUID:
            name = GuidToText(node.identifier.guid);
            address = ns + ";g=" + name;
            break;
        default:  // opaque identifiers have no text form here
            return row;
    }
    row.name = WideArea(name, PointRow::kNameArea);
    row.regType = "ItemID";
    row.regAddress = WideArea(address, PointRow::kRegAddressArea);
    return row;
}
