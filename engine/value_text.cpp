#include "engine/value_text.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

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
T ScalarOf(const UA_Variant& value) {
    T scalar;
    std::memcpy(&scalar, value.data, sizeof scalar);
    return scalar;
}

}  // namespace

std::uint16_t BuiltinTypeIndex(const UA_DataType* type) {
    if (type < &UA_TYPES[0] || type >= &UA_TYPES[UA_TYPES_COUNT]) return kNoTypeIndex;
    return static_cast<std::uint16_t>(type - &UA_TYPES[0]);
}

bool VariantToText(const UA_Variant& value, std::string& text) {
    if (value.type == nullptr || !UA_Variant_isScalar(&value)) return false;
    switch (BuiltinTypeIndex(value.type)) {
        case UA_TYPES_LOCALIZEDTEXT:
            text.assign(UpToZero(static_cast<const UA_LocalizedText*>(value.data)->text));
            return true;
        case UA_TYPES_STRING:
        case UA_TYPES_BYTESTRING:
            text.assign(UpToZero(*static_cast<const UA_String*>(value.data)));
            return true;
        case UA_TYPES_BOOLEAN:  // the stored byte, so 1 or 0
            return Integer(int{ScalarOf<unsigned char>(value)}, text);
        case UA_TYPES_BYTE:
            return Integer(unsigned{ScalarOf<UA_Byte>(value)}, text);
        case UA_TYPES_UINT16:
            return Integer(unsigned{ScalarOf<UA_UInt16>(value)}, text);
        case UA_TYPES_UINT32:
            return Integer(ScalarOf<UA_UInt32>(value), text);
        case UA_TYPES_SBYTE:
            return Integer(int{ScalarOf<UA_SByte>(value)}, text);
        case UA_TYPES_INT16:
            return Integer(int{ScalarOf<UA_Int16>(value)}, text);
        case UA_TYPES_INT32:
            return Integer(ScalarOf<UA_Int32>(value), text);
        case UA_TYPES_UINT64:
            return Integer(ScalarOf<UA_UInt64>(value), text);
        case UA_TYPES_INT64:
            return Integer(ScalarOf<UA_Int64>(value), text);
        case UA_TYPES_FLOAT:
            return Fixed3(double{ScalarOf<UA_Float>(value)}, text);
        case UA_TYPES_DOUBLE:
            return Fixed3(ScalarOf<UA_Double>(value), text);
        case UA_TYPES_DATETIME:
            return DateTimeValue(ScalarOf<UA_DateTime>(value), text);
        default:
            return false;
    }
}

std::string TimeText(UA_DateTime utc) {
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
