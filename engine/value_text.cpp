#include "engine/value_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/node_id_text.h"

namespace {

// Texts stop at their first zero byte, as C strings do.
std::string_view UpToZero(const UA_String& s) {
    if (s.length == 0 || s.data == nullptr) return {};
    const char* begin = reinterpret_cast<const char*>(s.data);
    const void* zero = std::memchr(begin, 0, s.length);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : s.length;
    return {begin, length};
}

template <class Number>
bool Integer(Number number, std::string& text) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
    text.assign(buffer, end);
    return true;
}

// Three decimals, rounded as "%0.3f" rounds; wide enough for the largest double.
bool Fixed3(double number, std::string& text) {
    char buffer[512];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, 3).ptr;
    text.assign(buffer, end);
    return true;
}

// 10000-01-01 00:00:00 UTC; with the origin (1601) the span whose years have four digits.
UA_DateTime FirstAfterYear9999() {
    static const UA_DateTime first = [] {
        UA_DateTimeStruct t{};
        t.year = 10000;
        t.month = 1;
        t.day = 1;
        return UA_DateTime_fromStruct(t);
    }();
    return first;
}

// The library's breakdown overflows near the ends of the 64-bit range and shows wrapped years
// well before that; such instants get a plain statement instead.
bool IsShowable(UA_DateTime t) { return t >= 0 && t < FirstAfterYear9999(); }

// Day first and unpadded, for example 5-8-2024 6:3:9.007.
bool DateTimeValue(UA_DateTime value, std::string& text) {
    if (!IsShowable(value)) {
        text = kTimeOutOfRange;
        return true;
    }
    const UA_DateTimeStruct t = UA_DateTime_toStruct(value);
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%u-%u-%u %u:%u:%u.%03u", unsigned{t.day},
                                unsigned{t.month}, static_cast<unsigned>(t.year), unsigned{t.hour},
                                unsigned{t.min}, unsigned{t.sec}, unsigned{t.milliSec});
    text.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

template <class T>
T ScalarAt(const void* data) {
    T scalar;
    std::memcpy(&scalar, data, sizeof scalar);
    return scalar;
}

// Arrays show this many elements, then how many there are in all.
constexpr std::size_t kArrayShown = 64;

bool ElementText(const void* data, const UA_DataType* type, std::string& text);

// "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x": the fields as numbers, as GUIDs are
// usually written (a NodeId's GUID text keeps the stored byte order instead).
bool GuidValue(const UA_Guid& g, std::string& text) {
    char buffer[40];
    const int n = std::snprintf(
        buffer, sizeof buffer, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
        static_cast<unsigned>(g.data1), unsigned{g.data2}, unsigned{g.data3}, unsigned{g.data4[0]},
        unsigned{g.data4[1]}, unsigned{g.data4[2]}, unsigned{g.data4[3]}, unsigned{g.data4[4]},
        unsigned{g.data4[5]}, unsigned{g.data4[6]}, unsigned{g.data4[7]});
    text.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

// "BadOutOfRange (0x803C0000)".
bool StatusCodeValue(UA_StatusCode code, std::string& text) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(code));
    text = std::string(UA_StatusCode_name(code)) + " (" + buffer + ")";
    return true;
}

// The NodeId text, with the namespace URI instead of the index when the server sent one, and
// the server index in front when it is not this server.
bool ExpandedNodeIdValue(const UA_ExpandedNodeId& id, std::string& text) {
    std::string nodeText = NodeIdToText(id.nodeId);
    if (id.namespaceUri.length > 0) {
        nodeText =
            "nsu=" + std::string(UpToZero(id.namespaceUri)) + nodeText.substr(nodeText.find(';'));
    }
    text = id.serverIndex != 0 ? "svr=" + std::to_string(id.serverIndex) + ";" + nodeText
                               : std::move(nodeText);
    return true;
}

// A structure shows the NodeId of its binary encoding and how many bytes that encoding has.
bool EncodedText(const UA_NodeId& encoding, std::size_t bytes, std::string& text) {
    text = NodeIdToText(encoding) + " (" + std::to_string(bytes) + " B)";
    return true;
}

bool ExtensionObjectValue(const UA_ExtensionObject& e, std::string& text) {
    if (e.encoding >= UA_EXTENSIONOBJECT_DECODED) {
        if (e.content.decoded.type == nullptr) return false;
        return EncodedText(e.content.decoded.type->binaryEncodingId,
                           UA_calcSizeBinary(e.content.decoded.data, e.content.decoded.type), text);
    }
    return EncodedText(e.content.encoded.typeId, e.content.encoded.body.length, text);
}

// "[1, -2, 3]", each element as its scalar would be; an element without a text stays empty.
bool ArrayText(const UA_Variant& value, std::string& text) {
    std::string out = "[";
    const std::size_t shown = std::min(value.arrayLength, kArrayShown);
    const auto* element = static_cast<const unsigned char*>(value.data);
    std::string item;
    for (std::size_t i = 0; i < shown; ++i, element += value.type->memSize) {
        if (i > 0) out += ", ";
        item.clear();
        ElementText(element, value.type, item);
        out += item;
    }
    if (value.arrayLength > shown) out += ", \u2026 (" + std::to_string(value.arrayLength) + ")";
    out += "]";
    text = std::move(out);
    return true;
}

bool ElementText(const void* data, const UA_DataType* type, std::string& text) {
    switch (type->typeKind) {
        case UA_DATATYPEKIND_LOCALIZEDTEXT:
            text.assign(UpToZero(static_cast<const UA_LocalizedText*>(data)->text));
            return true;
        case UA_DATATYPEKIND_STRING:
        case UA_DATATYPEKIND_BYTESTRING:
        case UA_DATATYPEKIND_XMLELEMENT:
            text.assign(UpToZero(*static_cast<const UA_String*>(data)));
            return true;
        case UA_DATATYPEKIND_BOOLEAN:  // the stored byte, so 1 or 0
            return Integer(int{ScalarAt<unsigned char>(data)}, text);
        case UA_DATATYPEKIND_BYTE:
            return Integer(unsigned{ScalarAt<UA_Byte>(data)}, text);
        case UA_DATATYPEKIND_UINT16:
            return Integer(unsigned{ScalarAt<UA_UInt16>(data)}, text);
        case UA_DATATYPEKIND_UINT32:
            return Integer(ScalarAt<UA_UInt32>(data), text);
        case UA_DATATYPEKIND_SBYTE:
            return Integer(int{ScalarAt<UA_SByte>(data)}, text);
        case UA_DATATYPEKIND_INT16:
            return Integer(int{ScalarAt<UA_Int16>(data)}, text);
        case UA_DATATYPEKIND_INT32:
        case UA_DATATYPEKIND_ENUM:
            return Integer(ScalarAt<UA_Int32>(data), text);
        case UA_DATATYPEKIND_UINT64:
            return Integer(ScalarAt<UA_UInt64>(data), text);
        case UA_DATATYPEKIND_INT64:
            return Integer(ScalarAt<UA_Int64>(data), text);
        case UA_DATATYPEKIND_FLOAT:
            return Fixed3(double{ScalarAt<UA_Float>(data)}, text);
        case UA_DATATYPEKIND_DOUBLE:
            return Fixed3(ScalarAt<UA_Double>(data), text);
        case UA_DATATYPEKIND_DATETIME:
            return DateTimeValue(ScalarAt<UA_DateTime>(data), text);
        case UA_DATATYPEKIND_GUID:
            return GuidValue(*static_cast<const UA_Guid*>(data), text);
        case UA_DATATYPEKIND_STATUSCODE:
            return StatusCodeValue(ScalarAt<UA_StatusCode>(data), text);
        case UA_DATATYPEKIND_QUALIFIEDNAME: {
            const auto* name = static_cast<const UA_QualifiedName*>(data);
            text = std::to_string(name->namespaceIndex) + ":" + std::string(UpToZero(name->name));
            return true;
        }
        case UA_DATATYPEKIND_NODEID:
            text = NodeIdToText(*static_cast<const UA_NodeId*>(data));
            return true;
        case UA_DATATYPEKIND_EXPANDEDNODEID:
            return ExpandedNodeIdValue(*static_cast<const UA_ExpandedNodeId*>(data), text);
        case UA_DATATYPEKIND_EXTENSIONOBJECT:
            return ExtensionObjectValue(*static_cast<const UA_ExtensionObject*>(data), text);
        case UA_DATATYPEKIND_VARIANT:
            return VariantToText(*static_cast<const UA_Variant*>(data), text);
        case UA_DATATYPEKIND_DATAVALUE: {
            const auto* dataValue = static_cast<const UA_DataValue*>(data);
            if (!dataValue->hasValue) {
                text.clear();
                return true;
            }
            return VariantToText(dataValue->value, text);
        }
        case UA_DATATYPEKIND_STRUCTURE:
        case UA_DATATYPEKIND_OPTSTRUCT:
        case UA_DATATYPEKIND_UNION:
            // A structure the library decoded for us: shown as it came over the wire.
            return EncodedText(type->binaryEncodingId, UA_calcSizeBinary(data, type), text);
        default:
            return false;
    }
}

}  // namespace

std::uint16_t BuiltinTypeIndex(const UA_DataType* type) {
    if (type < &UA_TYPES[0] || type >= &UA_TYPES[UA_TYPES_COUNT]) return kNoTypeIndex;
    return static_cast<std::uint16_t>(type - &UA_TYPES[0]);
}

bool VariantToText(const UA_Variant& value, std::string& text) {
    if (value.type == nullptr) {  // a null value
        text.clear();
        return true;
    }
    if (UA_Variant_isScalar(&value)) return ElementText(value.data, value.type, text);
    return ArrayText(value, text);
}

std::string TimeText(UA_DateTime utc) {
    // No time at all (a read that got no answer): nothing, rather than the origin in 1601.
    if (utc == 0) return {};
    // Checked before the shift, which is at most a day and so cannot overflow then.
    if (!IsShowable(utc)) return kTimeOutOfRange;
    const UA_DateTimeStruct t = UA_DateTime_toStruct(utc + UA_DateTime_localTimeUtcOffset());
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%u-%02u-%02u %02u:%02u:%02u",
                                static_cast<unsigned>(t.year), unsigned{t.month}, unsigned{t.day},
                                unsigned{t.hour}, unsigned{t.min}, unsigned{t.sec});
    return std::string(buffer, static_cast<std::size_t>(n));
}

const char* QualityText(UA_StatusCode status) {
    if (status & 0x80000000u) return "BAD";  // Bad and the reserved severity
    if (status & 0x40000000u) return "UNCERTAIN";
    return "GOOD";
}
