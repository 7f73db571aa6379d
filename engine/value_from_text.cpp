#include "engine/value_from_text.h"

#include <locale.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

// Number parsing must not follow the user's locale (a decimal comma would cut 1.5 to 1).
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

std::int64_t Signed64(const std::string& text) {
    return strtoll_l(text.c_str(), nullptr, 0, CLocale());
}

std::uint64_t Unsigned64(const std::string& text) {
    return strtoull_l(text.c_str(), nullptr, 0, CLocale());
}

// strtol where long has 32 bits: out of range gives the nearest limit.
std::int32_t Signed32(const std::string& text) {
    const std::int64_t value = Signed64(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// strtoul where long has 32 bits: a magnitude out of range gives the maximum, whatever the
// sign; otherwise a minus sign negates modulo 2^32, so "-1" is 4294967295.
std::uint32_t Unsigned32(const std::string& text) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    const char* p = text.c_str();
    while (isspace_l(static_cast<unsigned char>(*p), CLocale())) ++p;
    const bool negative = *p == '-';
    if (negative) {
        ++p;
        // strtoul wants a digit right after the sign; "--1" or "- 1" hold no number.
        if (!isdigit_l(static_cast<unsigned char>(*p), CLocale())) return 0;
    }
    const std::uint64_t magnitude = strtoull_l(p, nullptr, 0, CLocale());
    if (magnitude > kMax) return static_cast<std::uint32_t>(kMax);
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

template <class T>
UaVariant Scalar(T value, int typeIndex) {
    UaVariant variant;
    if (UA_Variant_setScalarCopy(variant.get(), &value, &UA_TYPES[typeIndex]) != UA_STATUSCODE_GOOD)
        throw std::bad_alloc();
    return variant;
}

// All of the text's bytes; an empty text gives a string of length 0 that is not null.
UaString StringOf(const std::string& text) {
    UaString s;
    if (text.empty()) {
        s->data = static_cast<UA_Byte*>(UA_EMPTY_ARRAY_SENTINEL);
        return s;
    }
    s->data = static_cast<UA_Byte*>(UA_malloc(text.size()));
    if (!s->data) throw std::bad_alloc();
    std::memcpy(s->data, text.data(), text.size());
    s->length = text.size();
    return s;
}

UaVariant LocalizedTextOf(const std::string& text) {
    using UaLocalizedText = UaOwned<UA_LocalizedText, UA_TYPES_LOCALIZEDTEXT>;
    UaLocalizedText localized;
    localized->locale = StringOf("en-US").Release();
    localized->text = StringOf(text).Release();
    UaVariant variant;
    if (UA_Variant_setScalarCopy(variant.get(), localized.get(),
                                 &UA_TYPES[UA_TYPES_LOCALIZEDTEXT]) != UA_STATUSCODE_GOOD)
        throw std::bad_alloc();
    return variant;
}

}  // namespace

UaVariant ValueFromText(const std::string& text, int typeIndex) {
    switch (typeIndex) {
        case UA_TYPES_BOOLEAN:
            return Scalar<UA_Boolean>(Signed32(text) != 0, typeIndex);
        case UA_TYPES_SBYTE:
            return Scalar(static_cast<UA_SByte>(Signed32(text)), typeIndex);
        case UA_TYPES_BYTE:
            return Scalar(static_cast<UA_Byte>(Unsigned32(text)), typeIndex);
        case UA_TYPES_INT16:
            return Scalar(static_cast<UA_Int16>(Signed32(text)), typeIndex);
        case UA_TYPES_UINT16:
            return Scalar(static_cast<UA_UInt16>(Unsigned32(text)), typeIndex);
        case UA_TYPES_INT32:
            return Scalar<UA_Int32>(Signed32(text), typeIndex);
        case UA_TYPES_UINT32:
            return Scalar<UA_UInt32>(Unsigned32(text), typeIndex);
        case UA_TYPES_INT64:
            return Scalar<UA_Int64>(Signed64(text), typeIndex);
        case UA_TYPES_UINT64:
            return Scalar<UA_UInt64>(Unsigned64(text), typeIndex);
        case UA_TYPES_FLOAT:
            return Scalar<UA_Float>(strtof_l(text.c_str(), nullptr, CLocale()), typeIndex);
        case UA_TYPES_DOUBLE:
            return Scalar<UA_Double>(strtod_l(text.c_str(), nullptr, CLocale()), typeIndex);
        case UA_TYPES_DATETIME:
            return Scalar<UA_DateTime>(Signed64(text), typeIndex);
        case UA_TYPES_STRING:
        case UA_TYPES_BYTESTRING: {
            UaString bytes = StringOf(text);
            UaVariant variant;
            if (UA_Variant_setScalarCopy(variant.get(), bytes.get(), &UA_TYPES[typeIndex]) !=
                UA_STATUSCODE_GOOD)
                throw std::bad_alloc();
            return variant;
        }
        case UA_TYPES_LOCALIZEDTEXT:
            return LocalizedTextOf(text);
        default:
            return UaVariant();
    }
}
