// Text → value conversion by type index, as the write command uses it. No server needed.
#include "engine/value_from_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace {

template <class T>
std::optional<T> ScalarFrom(const std::string& text, int typeIndex) {
    const std::optional<UaVariant> v = ValueFromText(text, typeIndex);
    if (!v) return std::nullopt;
    EXPECT_TRUE(UA_Variant_hasScalarType(v->get(), &UA_TYPES[typeIndex]))
        << "expected a scalar " << UA_TYPES[typeIndex].typeName;
    if (!UA_Variant_hasScalarType(v->get(), &UA_TYPES[typeIndex])) return std::nullopt;
    T value;
    std::memcpy(&value, (*v)->data, sizeof value);
    return value;
}

std::string TextBytes(const UA_String& s) {
    return std::string(reinterpret_cast<const char*>(s.data), s.length);
}

// Each integer type read at its own width, then widened for the comparison.
std::optional<long double> IntegerFrom(const std::string& text, int typeIndex) {
    const auto widen = [&]<class T>(T) -> std::optional<long double> {
        const auto v = ScalarFrom<T>(text, typeIndex);
        if (!v) return std::nullopt;
        return static_cast<long double>(*v);
    };
    switch (typeIndex) {
        case UA_TYPES_SBYTE:
            return widen(UA_SByte{});
        case UA_TYPES_BYTE:
            return widen(UA_Byte{});
        case UA_TYPES_INT16:
            return widen(UA_Int16{});
        case UA_TYPES_UINT16:
            return widen(UA_UInt16{});
        case UA_TYPES_INT32:
            return widen(UA_Int32{});
        case UA_TYPES_UINT32:
            return widen(UA_UInt32{});
        case UA_TYPES_INT64:
            return widen(UA_Int64{});
        case UA_TYPES_UINT64:
            return widen(UA_UInt64{});
        default:
            ADD_FAILURE() << "not an integer type";
            return std::nullopt;
    }
}

constexpr std::optional<long double> kRefused = std::nullopt;

TEST(ValueFromText, IntegersAreWholeDecimalOrHexTextsWithinTheTypesRange) {
    const struct {
        const char* text;
        int type;
        std::optional<long double> expected;
    } cases[] = {
        // Forms
        {"42", UA_TYPES_INT32, 42},
        {"  \t+42 ", UA_TYPES_INT32, 42},
        {"-7", UA_TYPES_INT16, -7},
        {"0x1F", UA_TYPES_INT32, 31},
        {"0X1f", UA_TYPES_UINT16, 31},
        {"-0x10", UA_TYPES_INT64, -16},
        {"010", UA_TYPES_INT32, 10},  // decimal: no octal surprise
        {"-0", UA_TYPES_UINT32, 0},
        {"08", UA_TYPES_BYTE, 8},
        // Not a number of the type: nothing is written
        {"12abc", UA_TYPES_INT32, kRefused},
        {"abc", UA_TYPES_INT64, kRefused},
        {"", UA_TYPES_INT32, kRefused},
        {"   ", UA_TYPES_UINT32, kRefused},
        {"1 2", UA_TYPES_INT16, kRefused},
        {"0x", UA_TYPES_INT32, kRefused},
        {"0x1G", UA_TYPES_INT32, kRefused},
        {"--1", UA_TYPES_INT32, kRefused},
        {"-+1", UA_TYPES_UINT32, kRefused},
        {"+", UA_TYPES_INT32, kRefused},
        {"1.0", UA_TYPES_INT32, kRefused},
        {"1e3", UA_TYPES_INT32, kRefused},
        // Limits: the ends are accepted, one beyond is refused, never clamped or wrapped
        {"99999999999", UA_TYPES_INT32, kRefused},
        {"-99999999999", UA_TYPES_INT32, kRefused},
        {"2147483647", UA_TYPES_INT32, 2147483647},
        {"-2147483648", UA_TYPES_INT32, -2147483648.0L},
        {"2147483648", UA_TYPES_INT32, kRefused},
        {"0x80000000", UA_TYPES_INT32, kRefused},
        {"300", UA_TYPES_BYTE, kRefused},
        {"255", UA_TYPES_BYTE, 255},
        {"-1", UA_TYPES_BYTE, kRefused},
        {"200", UA_TYPES_SBYTE, kRefused},
        {"-128", UA_TYPES_SBYTE, -128},
        {"-129", UA_TYPES_SBYTE, kRefused},
        {"70000", UA_TYPES_INT16, kRefused},
        {"65535", UA_TYPES_UINT16, 65535},
        {"65536", UA_TYPES_UINT16, kRefused},
        {"-1", UA_TYPES_UINT32, kRefused},
        {"4294967295", UA_TYPES_UINT32, 4294967295.0L},
        {"4294967296", UA_TYPES_UINT32, kRefused},
        {"9223372036854775807", UA_TYPES_INT64, 9223372036854775807.0L},
        {"-9223372036854775808", UA_TYPES_INT64, -9223372036854775808.0L},
        {"9223372036854775808", UA_TYPES_INT64, kRefused},
        {"-9223372036854775809", UA_TYPES_INT64, kRefused},
        {"18446744073709551615", UA_TYPES_UINT64, 18446744073709551615.0L},
        {"0xFFFFFFFFFFFFFFFF", UA_TYPES_UINT64, 18446744073709551615.0L},
        {"18446744073709551616", UA_TYPES_UINT64, kRefused},
        {"99999999999999999999", UA_TYPES_UINT64, kRefused},
        {"-1", UA_TYPES_UINT64, kRefused},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntegerFrom(c.text, c.type), c.expected)
            << '"' << c.text << "\" as " << UA_TYPES[c.type].typeName;
    }
}

TEST(ValueFromText, BooleansAreTrueFalseOneOrZeroInAnyCase) {
    const struct {
        const char* text;
        std::optional<bool> expected;
    } cases[] = {
        {"true", true},        {"TRUE", true},       {"True", true},        {"1", true},
        {" false ", false},    {"FaLsE", false},     {"0", false},          {"2", std::nullopt},
        {"-1", std::nullopt},  {"", std::nullopt},   {"yes", std::nullopt}, {"truex", std::nullopt},
        {"0x1", std::nullopt}, {"01", std::nullopt}, {"t", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto v = ScalarFrom<UA_Boolean>(c.text, UA_TYPES_BOOLEAN);
        EXPECT_EQ(v.has_value(), c.expected.has_value()) << '"' << c.text << '"';
        if (v && c.expected) {
            EXPECT_EQ(*v != 0, *c.expected) << '"' << c.text << '"';
        }
    }
}

TEST(ValueFromText, FloatingTextsAreDecimalAndFiniteUnlessSpelledOut) {
    enum Kind { Value, Refused, Nan, PlusInf, MinusInf };
    const struct {
        const char* text;
        int type;
        Kind kind;
        double value;
    } cases[] = {
        {"1.5", UA_TYPES_DOUBLE, Value, 1.5},
        {" -2.5e3 ", UA_TYPES_DOUBLE, Value, -2500.0},
        {"2.5E+1", UA_TYPES_DOUBLE, Value, 25.0},
        {".5", UA_TYPES_DOUBLE, Value, 0.5},
        {"5.", UA_TYPES_DOUBLE, Value, 5.0},
        {"+7", UA_TYPES_DOUBLE, Value, 7.0},
        {"1e308", UA_TYPES_DOUBLE, Value, 1e308},
        {"0.1", UA_TYPES_FLOAT, Value, double{0.1f}},
        {"3.4e38", UA_TYPES_FLOAT, Value, double{3.4e38f}},
        {"abc", UA_TYPES_DOUBLE, Refused, 0},
        {"", UA_TYPES_DOUBLE, Refused, 0},
        {"12abc", UA_TYPES_DOUBLE, Refused, 0},
        {"1e999", UA_TYPES_DOUBLE, Refused, 0},
        {"-1e999", UA_TYPES_DOUBLE, Refused, 0},
        {"1e39", UA_TYPES_FLOAT, Refused, 0},
        {"0x1p3", UA_TYPES_DOUBLE, Refused, 0},
        {"1e", UA_TYPES_DOUBLE, Refused, 0},
        {".", UA_TYPES_DOUBLE, Refused, 0},
        {"1,5", UA_TYPES_DOUBLE, Refused, 0},
        {"nanx", UA_TYPES_DOUBLE, Refused, 0},
        {"in", UA_TYPES_DOUBLE, Refused, 0},
        {"nan", UA_TYPES_DOUBLE, Nan, 0},
        {"NaN", UA_TYPES_FLOAT, Nan, 0},
        {"inf", UA_TYPES_DOUBLE, PlusInf, 0},
        {"-Infinity", UA_TYPES_DOUBLE, MinusInf, 0},
        {"+INF", UA_TYPES_FLOAT, PlusInf, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" as " + UA_TYPES[c.type].typeName);
        std::optional<double> v;
        if (c.type == UA_TYPES_FLOAT) {
            if (const auto f = ScalarFrom<UA_Float>(c.text, c.type)) v = *f;
        } else {
            v = ScalarFrom<UA_Double>(c.text, c.type);
        }
        if (c.kind == Refused) {
            EXPECT_FALSE(v.has_value());
            continue;
        }
        ASSERT_TRUE(v.has_value());
        switch (c.kind) {
            case Value:
                EXPECT_EQ(*v, c.value);
                break;
            case Nan:
                EXPECT_TRUE(std::isnan(*v));
                break;
            case PlusInf:
                EXPECT_EQ(*v, std::numeric_limits<double>::infinity());
                break;
            case MinusInf:
                EXPECT_EQ(*v, -std::numeric_limits<double>::infinity());
                break;
            case Refused:
                break;
        }
    }
}

// Switches LC_NUMERIC to a German locale, whose decimal point is a comma; built with localedef
// into a temporary folder when the system has none. False when neither works.
bool UseGermanNumbers() {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.utf8"))
        return true;
    const std::string dir = ::testing::TempDir() + "quorvane-locales";
    const std::string make = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                             "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return false;
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(ValueFromText, FloatingIgnoresTheProgramsLocale) {
    // A desktop program runs in the user's locale; a decimal comma there must not cut 1.5 to 1.
    if (!UseGermanNumbers()) GTEST_SKIP() << "no German locale to try";
    const double plain = std::strtod("1.5", nullptr);
    const auto value = ScalarFrom<UA_Double>("1.5", UA_TYPES_DOUBLE);
    const auto single = ScalarFrom<UA_Float>("2.25", UA_TYPES_FLOAT);
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    ASSERT_EQ(plain, 1.0) << "the locale did not take effect, so this proves nothing";
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(single, 2.25f);
}

TEST(ValueFromText, TextTypesCarryTheBytesAsTyped) {
    const struct {
        const char* text;
        int type;
    } cases[] = {
        {"Hello 世界", UA_TYPES_STRING}, {"", UA_TYPES_STRING},
        {"  padded  ", UA_TYPES_STRING}, {"0x1F", UA_TYPES_BYTESTRING},
        {"", UA_TYPES_BYTESTRING},       {"Pump 2", UA_TYPES_LOCALIZEDTEXT},
        {"", UA_TYPES_LOCALIZEDTEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" as " + UA_TYPES[c.type].typeName);
        const std::optional<UaVariant> v = ValueFromText(c.text, c.type);
        ASSERT_TRUE(v.has_value());
        ASSERT_TRUE(UA_Variant_hasScalarType(v->get(), &UA_TYPES[c.type]));
        const UA_String* text = static_cast<const UA_String*>((*v)->data);
        if (c.type == UA_TYPES_LOCALIZEDTEXT) {
            const auto* localized = static_cast<const UA_LocalizedText*>((*v)->data);
            EXPECT_EQ(TextBytes(localized->locale), "en-US");
            text = &localized->text;
        }
        EXPECT_EQ(TextBytes(*text), c.text);  // not trimmed, not decoded
        EXPECT_NE(text->data, nullptr) << "a null string would reach the server as null";
    }
}

TEST(ValueFromText, DateTimesTakeTheFormTheListShowsInUtc) {
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        UA_DateTimeStruct t{};
        t.year = static_cast<UA_Int16>(y);
        t.month = static_cast<UA_UInt16>(mo);
        t.day = static_cast<UA_UInt16>(d);
        t.hour = static_cast<UA_UInt16>(h);
        t.min = static_cast<UA_UInt16>(mi);
        t.sec = static_cast<UA_UInt16>(s);
        t.milliSec = static_cast<UA_UInt16>(ms);
        return std::optional<UA_DateTime>(UA_DateTime_fromStruct(t));
    };
    const struct {
        const char* text;
        std::optional<UA_DateTime> expected;
    } cases[] = {
        {"5-8-2024 6:3:9.007", utc(2024, 8, 5, 6, 3, 9, 7)},
        {"05-08-2024 06:03:09.007", utc(2024, 8, 5, 6, 3, 9, 7)},
        {" 5-8-2024 6:3:9 ", utc(2024, 8, 5, 6, 3, 9, 0)},
        {"5-8-2024 6:3:9.5", utc(2024, 8, 5, 6, 3, 9, 500)},
        {"1-1-1601 0:0:0.000", std::optional<UA_DateTime>(0)},
        {"29-2-2024 23:59:59.999", utc(2024, 2, 29, 23, 59, 59, 999)},
        {"31-12-9999 23:59:59.999", utc(9999, 12, 31, 23, 59, 59, 999)},
        {"0", std::nullopt},  // a tick count is not the shown form
        {"133674301890070000", std::nullopt},
        {"2024-08-05", std::nullopt},
        {"2024-08-05 06:03:09", std::nullopt},
        {"29-2-2023 0:0:0", std::nullopt},
        {"31-4-2024 0:0:0", std::nullopt},
        {"5-13-2024 0:0:0", std::nullopt},
        {"0-8-2024 0:0:0", std::nullopt},
        {"5-8-2024 24:0:0", std::nullopt},
        {"5-8-2024 6:60:0", std::nullopt},
        {"5-8-2024 6:3:60", std::nullopt},
        {"31-12-1600 23:59:59", std::nullopt},
        {"5-8-2024 6:3:9.", std::nullopt},
        {"5-8-2024 6:3:9.0071", std::nullopt},
        {"5-8-2024 6:3:9x", std::nullopt},
        {"5-8-2024", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScalarFrom<UA_DateTime>(c.text, UA_TYPES_DATETIME), c.expected)
            << '"' << c.text << '"';
    }
}

TEST(ValueFromText, TypesOutsideTheTableGiveNothing) {
    for (int type : {UA_TYPES_GUID, UA_TYPES_XMLELEMENT, UA_TYPES_NODEID, UA_TYPES_STATUSCODE,
                     UA_TYPES_QUALIFIEDNAME, 21, 0xFFFF, -1}) {
        EXPECT_FALSE(ValueFromText("1", type).has_value()) << "type index " << type;
        EXPECT_FALSE(IsWritableType(type)) << "type index " << type;
    }
}

TEST(CanWrite, OnlyScalarsOfTableTypesThatWereRead) {
    const struct {
        std::uint16_t typeIndex;
        bool isArray;
        bool expected;
    } cases[] = {
        {UA_TYPES_INT32, false, true},      {UA_TYPES_BOOLEAN, false, true},
        {UA_TYPES_DATETIME, false, true},   {UA_TYPES_LOCALIZEDTEXT, false, true},
        {UA_TYPES_BYTESTRING, false, true}, {UA_TYPES_INT32, true, false},
        {UA_TYPES_GUID, false, false},      {UA_TYPES_QUALIFIEDNAME, false, false},
        {UA_TYPES_NODEID, false, false},    {OPCUAItemData::kNoType, false, false},
    };
    for (const auto& c : cases) {
        OPCUAItemData record(UA_NODEID_NUMERIC(2, 1), "", "", "p", "", "");
        record.typeIndex = c.typeIndex;
        record.isArray = c.isArray;
        EXPECT_EQ(CanWrite(record), c.expected)
            << "type " << c.typeIndex << (c.isArray ? " array" : " scalar");
    }
}

TEST(WhyNotWritable, TheFirstReasonThatHoldsAndTheUsersAccessLevel) {
    const struct {
        std::uint16_t typeIndex;
        bool isArray;
        bool accessKnown;
        std::uint8_t access;
        WriteRefusal expected;
    } cases[] = {
        {OPCUAItemData::kNoType, true, true, 0, WriteRefusal::kNeverRead},
        {UA_TYPES_INT32, true, true, 0, WriteRefusal::kArray},
        {UA_TYPES_GUID, false, true, 0, WriteRefusal::kNoTextForm},
        {UA_TYPES_INT32, false, true, UA_ACCESSLEVELMASK_READ, WriteRefusal::kReadOnly},
        {UA_TYPES_INT32, false, true, UA_ACCESSLEVELMASK_WRITE, WriteRefusal::kNone},
        // A server that would not tell is let decide when the write comes.
        {UA_TYPES_INT32, false, false, 0, WriteRefusal::kNone},
    };
    for (const auto& c : cases) {
        OPCUAItemData record(UA_NODEID_NUMERIC(2, 1), "", "", "p", "", "");
        record.typeIndex = c.typeIndex;
        record.isArray = c.isArray;
        record.accessKnown = c.accessKnown;
        record.userAccessLevel = c.access;
        EXPECT_EQ(WhyNotWritable(record), c.expected) << "type " << c.typeIndex;
        EXPECT_EQ(CanWrite(record), c.expected == WriteRefusal::kNone);
    }
}

}  // namespace
