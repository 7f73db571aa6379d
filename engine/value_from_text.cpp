#include "engine/value_from_text.h"

#include <locale.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <type_traits>

namespace {

// Number parsing must not follow the user's locale (a decimal comma would cut 1.5 to 1).
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlank = " \t\r\n";
    const auto first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// Digits of base 10 or 16 to the end of `digits`; nothing when one is not a digit, there are
// none, or the number does not fit in 64 bits.
std::optional<std::uint64_t> Magnitude(std::string_view digits, unsigned base) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = base == 16 ? HexValue(c) : (IsDigit(c) ? c - '0' : -1);
        if (digit < 0) return std::nullopt;
        if (value >
            (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) / base)
            return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

struct SignedMagnitude {
    bool negative;
    std::uint64_t magnitude;
};

// An optional sign, then decimal digits or 0x and hexadecimal digits, and nothing else.
std::optional<SignedMagnitude> IntegerText(std::string_view text) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto magnitude = hex ? Magnitude(text.substr(2), 16) : Magnitude(text, 10);
    if (!magnitude) return std::nullopt;
    return SignedMagnitude{negative, *magnitude};
}

template <class T>
std::optional<T> IntegerOf(std::string_view text) {
    const auto parsed = IntegerText(text);
    if (!parsed) return std::nullopt;
    using Limits = std::numeric_limits<T>;
    if (!parsed->negative) {
        if (parsed->magnitude > static_cast<std::uint64_t>(Limits::max())) return std::nullopt;
        return static_cast<T>(parsed->magnitude);
    }
    if (parsed->magnitude == 0) return T{0};
    if constexpr (Limits::is_signed) {
        // The magnitude of the minimum is one more than the maximum.
        const std::uint64_t limit = static_cast<std::uint64_t>(Limits::max()) + 1;
        if (parsed->magnitude > limit) return std::nullopt;
        return static_cast<T>(-static_cast<std::int64_t>(parsed->magnitude - 1) - 1);
    } else {
        return std::nullopt;
    }
}

std::optional<bool> BooleanOf(std::string_view text) {
    text = Trimmed(text);
    if (text == "1" || EqualsIgnoringCase(text, "true")) return true;
    if (text == "0" || EqualsIgnoringCase(text, "false")) return false;
    return std::nullopt;
}

// Decimal floating-point text: [sign] digits [. digits] [e [sign] digits], at least one digit
// before the exponent. Hexadecimal floats and trailing text are not numbers here.
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

bool IsSpelledSpecial(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    return EqualsIgnoringCase(text, "nan") || EqualsIgnoringCase(text, "inf") ||
           EqualsIgnoringCase(text, "infinity");
}

template <class T>
std::optional<T> FloatingOf(std::string_view text) {
    const std::string trimmed(Trimmed(text));
    const bool special = IsSpelledSpecial(trimmed);
    if (!special && !IsDecimalNumber(trimmed)) return std::nullopt;
    T value;
    if constexpr (std::is_same_v<T, float>)
        value = strtof_l(trimmed.c_str(), nullptr, CLocale());
    else
        value = strtod_l(trimmed.c_str(), nullptr, CLocale());
    // Too large for the type comes back as infinity; that was not typed.
    if (!special && !std::isfinite(value)) return std::nullopt;
    return value;
}

// Reads one unsigned decimal field of 1 to `maxDigits` digits at `pos`.
std::optional<unsigned> Field(std::string_view text, std::size_t& pos, std::size_t maxDigits) {
    std::size_t count = 0;
    unsigned value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && count < maxDigits) {
        value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
        ++count;
    }
    if (count == 0 || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
    return value;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "D-M-YYYY H:M:S[.mmm]" in UTC, the form the list shows DateTime values in.
std::optional<UA_DateTime> DateTimeOf(std::string_view text) {
    text = Trimmed(text);
    std::size_t pos = 0;
    const auto day = Field(text, pos, 2);
    if (!day || !Expect(text, pos, '-')) return std::nullopt;
    const auto month = Field(text, pos, 2);
    if (!month || !Expect(text, pos, '-')) return std::nullopt;
    const auto year = Field(text, pos, 4);
    if (!year || !Expect(text, pos, ' ')) return std::nullopt;
    const auto hour = Field(text, pos, 2);
    if (!hour || !Expect(text, pos, ':')) return std::nullopt;
    const auto minute = Field(text, pos, 2);
    if (!minute || !Expect(text, pos, ':')) return std::nullopt;
    const auto second = Field(text, pos, 2);
    if (!second) return std::nullopt;
    std::optional<unsigned> milli = 0;
    if (pos < text.size()) {
        if (!Expect(text, pos, '.')) return std::nullopt;
        const std::size_t start = pos;
        milli = Field(text, pos, 3);
        if (!milli) return std::nullopt;
        // ".5" is half a second, as a decimal fraction reads.
        for (std::size_t n = pos - start; n < 3; ++n) *milli *= 10;
    }
    if (pos != text.size()) return std::nullopt;
    if (*year < 1601 || *month < 1 || *month > 12 || *day < 1 ||
        *day > DaysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    UA_DateTimeStruct when{};
    when.year = static_cast<UA_Int16>(*year);
    when.month = static_cast<UA_UInt16>(*month);
    when.day = static_cast<UA_UInt16>(*day);
    when.hour = static_cast<UA_UInt16>(*hour);
    when.min = static_cast<UA_UInt16>(*minute);
    when.sec = static_cast<UA_UInt16>(*second);
    when.milliSec = static_cast<UA_UInt16>(*milli);
    return UA_DateTime_fromStruct(when);
}

template <class T>
UaVariant Scalar(const T& value, int typeIndex) {
    UaVariant variant;
    if (UA_Variant_setScalarCopy(variant.get(), &value, &UA_TYPES[typeIndex]) != UA_STATUSCODE_GOOD)
        throw std::bad_alloc();
    return variant;
}

template <class T>
std::optional<UaVariant> ScalarIf(const std::optional<T>& value, int typeIndex) {
    if (!value) return std::nullopt;
    return Scalar(*value, typeIndex);
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
    return Scalar(*localized, UA_TYPES_LOCALIZEDTEXT);
}

}  // namespace

std::optional<UaVariant> ValueFromText(const std::string& text, int typeIndex) {
    switch (typeIndex) {
        case UA_TYPES_BOOLEAN:
            return ScalarIf<UA_Boolean>(BooleanOf(text), typeIndex);
        case UA_TYPES_SBYTE:
            return ScalarIf(IntegerOf<UA_SByte>(text), typeIndex);
        case UA_TYPES_BYTE:
            return ScalarIf(IntegerOf<UA_Byte>(text), typeIndex);
        case UA_TYPES_INT16:
            return ScalarIf(IntegerOf<UA_Int16>(text), typeIndex);
        case UA_TYPES_UINT16:
            return ScalarIf(IntegerOf<UA_UInt16>(text), typeIndex);
        case UA_TYPES_INT32:
            return ScalarIf(IntegerOf<UA_Int32>(text), typeIndex);
        case UA_TYPES_UINT32:
            return ScalarIf(IntegerOf<UA_UInt32>(text), typeIndex);
        case UA_TYPES_INT64:
            return ScalarIf(IntegerOf<UA_Int64>(text), typeIndex);
        case UA_TYPES_UINT64:
            return ScalarIf(IntegerOf<UA_UInt64>(text), typeIndex);
        case UA_TYPES_FLOAT:
            return ScalarIf(FloatingOf<UA_Float>(text), typeIndex);
        case UA_TYPES_DOUBLE:
            return ScalarIf(FloatingOf<UA_Double>(text), typeIndex);
        case UA_TYPES_DATETIME:
            return ScalarIf(DateTimeOf(text), typeIndex);
        case UA_TYPES_STRING:
        case UA_TYPES_BYTESTRING:
            return Scalar(*StringOf(text), typeIndex);
        case UA_TYPES_LOCALIZEDTEXT:
            return LocalizedTextOf(text);
        default:
            return std::nullopt;
    }
}

bool IsWritableType(int typeIndex) {
    return (typeIndex >= UA_TYPES_BOOLEAN && typeIndex <= UA_TYPES_DATETIME) ||
           typeIndex == UA_TYPES_BYTESTRING || typeIndex == UA_TYPES_LOCALIZEDTEXT;
}

WriteRefusal WhyNotWritable(const OPCUAItemData& record) {
    if (record.typeIndex == OPCUAItemData::kNoType) return WriteRefusal::kNeverRead;
    if (record.isArray) return WriteRefusal::kArray;
    if (!IsWritableType(record.typeIndex)) return WriteRefusal::kNoTextForm;
    // A server that would not tell is let decide when the write comes.
    if (record.accessKnown && (record.userAccessLevel & UA_ACCESSLEVELMASK_WRITE) == 0)
        return WriteRefusal::kReadOnly;
    return WriteRefusal::kNone;
}

bool CanWrite(const OPCUAItemData& record) { return WhyNotWritable(record) == WriteRefusal::kNone; }
