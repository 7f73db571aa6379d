#include "ui/invalid_value_text.h"

#include <open62541/types.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <type_traits>

#include "engine/value_from_text.h"
#include "texts/text_table.h"

namespace {

template <class T>
std::string Range() {
    using Limits = std::numeric_limits<T>;
    // Widened so that the 8-bit types print as numbers, not characters.
    using Wide = std::conditional_t<Limits::is_signed, long long, unsigned long long>;
    return std::to_string(static_cast<Wide>(Limits::min())) + Text(TextKey::RangeJoin) +
           std::to_string(static_cast<Wide>(Limits::max()));
}

// What a valid text of the type looks like; empty for types that cannot be written.
std::string ExpectedForm(int typeIndex) {
    switch (typeIndex) {
        case UA_TYPES_BOOLEAN:
            return Text(TextKey::BooleanForm);
        case UA_TYPES_SBYTE:
            return Range<std::int8_t>();
        case UA_TYPES_BYTE:
            return Range<std::uint8_t>();
        case UA_TYPES_INT16:
            return Range<std::int16_t>();
        case UA_TYPES_UINT16:
            return Range<std::uint16_t>();
        case UA_TYPES_INT32:
            return Range<std::int32_t>();
        case UA_TYPES_UINT32:
            return Range<std::uint32_t>();
        case UA_TYPES_INT64:
            return Range<std::int64_t>();
        case UA_TYPES_UINT64:
            return Range<std::uint64_t>();
        case UA_TYPES_FLOAT:
        case UA_TYPES_DOUBLE:
            return Text(TextKey::NumberForm);
        case UA_TYPES_DATETIME:
            return Text(TextKey::DateTimeForm);
        case UA_TYPES_STRING:
        case UA_TYPES_BYTESTRING:
        case UA_TYPES_LOCALIZEDTEXT:
            return Text(TextKey::TextForm);
        default:
            return {};
    }
}

}  // namespace

std::string InvalidValueText(int typeIndex) {
    const bool known = typeIndex >= 0 && typeIndex < static_cast<int>(UA_TYPES_COUNT);
    std::string text = Text(TextKey::InvalidValue) + (known ? UA_TYPES[typeIndex].typeName : "?");
    const std::string form = IsWritableType(typeIndex) ? ExpectedForm(typeIndex) : std::string();
    if (!form.empty()) text += " (" + form + ")";
    return text;
}

std::string NumberRangeText(int typeIndex) {
    const auto floating = [](double high) {
        char text[64];
        std::snprintf(text, sizeof text, "%g", high);
        return "-" + std::string(text) + Text(TextKey::RangeJoin) + text;
    };
    switch (typeIndex) {
        case UA_TYPES_SBYTE:
        case UA_TYPES_BYTE:
        case UA_TYPES_INT16:
        case UA_TYPES_UINT16:
        case UA_TYPES_INT32:
        case UA_TYPES_UINT32:
        case UA_TYPES_INT64:
        case UA_TYPES_UINT64:
            return ExpectedForm(typeIndex);
        case UA_TYPES_FLOAT:
            return floating(std::numeric_limits<float>::max());
        case UA_TYPES_DOUBLE:
            return floating(std::numeric_limits<double>::max());
        default:
            return {};
    }
}
