// Text → value conversion by type index, as the write command uses it. No server needed.
#include "engine/value_from_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>

namespace {

template <class T>
T ScalarOf(const UaVariant& v, int typeIndex) {
    EXPECT_TRUE(UA_Variant_hasScalarType(v.get(), &UA_TYPES[typeIndex]))
        << "expected a scalar " << UA_TYPES[typeIndex].typeName;
    T value{};
    if (UA_Variant_hasScalarType(v.get(), &UA_TYPES[typeIndex]))
        std::memcpy(&value, v->data, sizeof value);
    return value;
}

std::string TextBytes(const UA_String& s) {
    return std::string(reinterpret_cast<const char*>(s.data), s.length);
}

struct IntegerCase {
    const char* text;
    int typeIndex;
    long double expected;  // wide enough for every integer type here
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" as " << UA_TYPES[c.typeIndex].typeName;
}

class IntegerConversion : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerConversion, ParsesLikeTheCLibraryAndKeepsTheLowBits) {
    const IntegerCase& c = GetParam();
    const UaVariant v = ValueFromText(c.text, c.typeIndex);
    // Each integer type read at its own width, then widened for the comparison.
    const auto as = [&]<class T>(T) { return static_cast<long double>(ScalarOf<T>(v, c.typeIndex)); };
    long double got = 0;
    switch (c.typeIndex) {
        case UA_TYPES_BOOLEAN: got = as(UA_Boolean{}); break;
        case UA_TYPES_SBYTE: got = as(UA_SByte{}); break;
        case UA_TYPES_BYTE: got = as(UA_Byte{}); break;
        case UA_TYPES_INT16: got = as(UA_Int16{}); break;
        case UA_TYPES_UINT16: got = as(UA_UInt16{}); break;
        case UA_TYPES_INT32: got = as(UA_Int32{}); break;
        case UA_TYPES_UINT32: got = as(UA_UInt32{}); break;
        case UA_TYPES_INT64: got = as(UA_Int64{}); break;
        case UA_TYPES_UINT64: got = as(UA_UInt64{}); break;
        case UA_TYPES_DATETIME: got = as(UA_DateTime{}); break;
        default: FAIL() << "not an integer type";
    }
    EXPECT_EQ(got, c.expected) << '"' << c.text << "\" as " << UA_TYPES[c.typeIndex].typeName;
}

INSTANTIATE_TEST_SUITE_P(Booleans, IntegerConversion,
                         ::testing::Values(IntegerCase{"true", UA_TYPES_BOOLEAN, 0},  // no digits
                                           IntegerCase{"1", UA_TYPES_BOOLEAN, 1},
                                           IntegerCase{"2", UA_TYPES_BOOLEAN, 1},
                                           IntegerCase{"0", UA_TYPES_BOOLEAN, 0},
                                           IntegerCase{"-7", UA_TYPES_BOOLEAN, 1},
                                           IntegerCase{"", UA_TYPES_BOOLEAN, 0}));

INSTANTIATE_TEST_SUITE_P(BasesAndTrailingText, IntegerConversion,
                         ::testing::Values(IntegerCase{"0x1F", UA_TYPES_INT32, 31},
                                           IntegerCase{"0X1f", UA_TYPES_UINT16, 31},
                                           IntegerCase{"010", UA_TYPES_INT32, 8},
                                           IntegerCase{"08", UA_TYPES_INT32, 0},
                                           IntegerCase{"12abc", UA_TYPES_INT32, 12},
                                           IntegerCase{"0x", UA_TYPES_INT32, 0},
                                           IntegerCase{"  \t+42", UA_TYPES_INT32, 42},
                                           IntegerCase{"-0x10", UA_TYPES_INT64, -16},
                                           IntegerCase{"abc", UA_TYPES_INT64, 0},
                                           IntegerCase{"", UA_TYPES_UINT32, 0},
                                           IntegerCase{"", UA_TYPES_INT32, 0},
                                           IntegerCase{"1 2", UA_TYPES_INT16, 1}));

INSTANTIATE_TEST_SUITE_P(NarrowTypesKeepLowBits, IntegerConversion,
                         ::testing::Values(IntegerCase{"300", UA_TYPES_BYTE, 44},
                                           IntegerCase{"-1", UA_TYPES_BYTE, 255},
                                           IntegerCase{"200", UA_TYPES_SBYTE, -56},
                                           IntegerCase{"-129", UA_TYPES_SBYTE, 127},
                                           IntegerCase{"70000", UA_TYPES_INT16, 4464},
                                           IntegerCase{"-1", UA_TYPES_UINT16, 65535},
                                           IntegerCase{"65536", UA_TYPES_UINT16, 0}));

INSTANTIATE_TEST_SUITE_P(
    OutOfRangeGivesTheLimit, IntegerConversion,
    ::testing::Values(IntegerCase{"99999999999", UA_TYPES_INT32, 2147483647},
                      IntegerCase{"-99999999999", UA_TYPES_INT32, -2147483648.0L},
                      IntegerCase{"0x80000000", UA_TYPES_INT32, 2147483647},
                      // 32-bit strtol saturates before the low bits are kept
                      IntegerCase{"99999999999", UA_TYPES_INT16, -1},
                      IntegerCase{"99999999999", UA_TYPES_BYTE, 255},
                      IntegerCase{"-1", UA_TYPES_UINT32, 4294967295.0L},
                      IntegerCase{"-4294967295", UA_TYPES_UINT32, 1},
                      IntegerCase{"4294967296", UA_TYPES_UINT32, 4294967295.0L},
                      IntegerCase{"-4294967296", UA_TYPES_UINT32, 4294967295.0L},
                      IntegerCase{"--1", UA_TYPES_UINT32, 0},
                      IntegerCase{"-+1", UA_TYPES_UINT32, 0},
                      IntegerCase{"99999999999999999999", UA_TYPES_INT64, 9223372036854775807.0L},
                      IntegerCase{"-99999999999999999999", UA_TYPES_INT64, -9223372036854775808.0L},
                      IntegerCase{"-1", UA_TYPES_UINT64, 18446744073709551615.0L},
                      IntegerCase{"99999999999999999999", UA_TYPES_UINT64,
                                  18446744073709551615.0L}));

INSTANTIATE_TEST_SUITE_P(DateTimeIsTheTickCount, IntegerConversion,
                         ::testing::Values(IntegerCase{"0", UA_TYPES_DATETIME, 0},
                                           IntegerCase{"133674301890070000", UA_TYPES_DATETIME,
                                                       133674301890070000.0L},
                                           IntegerCase{"2024-08-05", UA_TYPES_DATETIME, 2024}));

UA_Double DoubleFrom(const char* text) {
    return ScalarOf<UA_Double>(ValueFromText(text, UA_TYPES_DOUBLE), UA_TYPES_DOUBLE);
}
UA_Float FloatFrom(const char* text) {
    return ScalarOf<UA_Float>(ValueFromText(text, UA_TYPES_FLOAT), UA_TYPES_FLOAT);
}

TEST(FloatingConversion, ParsesLikeStrtodAndStrtof) {
    EXPECT_EQ(DoubleFrom("1.5"), 1.5);
    EXPECT_EQ(DoubleFrom(" -2.5e3xyz"), -2500.0);
    EXPECT_EQ(DoubleFrom("0x1p3"), 8.0);
    EXPECT_EQ(DoubleFrom("abc"), 0.0);
    EXPECT_EQ(DoubleFrom(""), 0.0);
    EXPECT_TRUE(std::isinf(DoubleFrom("-inf")));
    EXPECT_TRUE(std::isnan(DoubleFrom("nan")));
    EXPECT_EQ(FloatFrom("0.1"), 0.1f);
    // Beyond single precision: strtof gives infinity, not a cut-down double.
    EXPECT_TRUE(std::isinf(FloatFrom("1e39")));
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

TEST(FloatingConversion, IgnoresTheProgramsLocale) {
    // A desktop program runs in the user's locale; a decimal comma there must not cut 1.5 to 1.
    if (!UseGermanNumbers()) GTEST_SKIP() << "no German locale to try";
    const double plain = std::strtod("1.5", nullptr);
    const double value = DoubleFrom("1.5");
    const float single = FloatFrom("2.25");
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    ASSERT_EQ(plain, 1.0) << "the locale did not take effect, so this proves nothing";
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(single, 2.25f);
}

TEST(TextConversion, CarriesTheBytesAndAnEmptyTextIsNotNull) {
    const UaVariant s = ValueFromText("Hello 世界", UA_TYPES_STRING);
    ASSERT_TRUE(UA_Variant_hasScalarType(s.get(), &UA_TYPES[UA_TYPES_STRING]));
    EXPECT_EQ(TextBytes(*static_cast<const UA_String*>(s->data)), "Hello 世界");

    const UaVariant b = ValueFromText("0x1F", UA_TYPES_BYTESTRING);
    ASSERT_TRUE(UA_Variant_hasScalarType(b.get(), &UA_TYPES[UA_TYPES_BYTESTRING]));
    EXPECT_EQ(TextBytes(*static_cast<const UA_ByteString*>(b->data)), "0x1F");  // not decoded

    for (int type : {UA_TYPES_STRING, UA_TYPES_BYTESTRING}) {
        const UaVariant empty = ValueFromText("", type);
        ASSERT_TRUE(UA_Variant_hasScalarType(empty.get(), &UA_TYPES[type]));
        const auto* text = static_cast<const UA_String*>(empty->data);
        EXPECT_EQ(text->length, 0u);
        EXPECT_NE(text->data, nullptr) << "a null string would reach the server as null";
    }

    const UaVariant l = ValueFromText("Pump", UA_TYPES_LOCALIZEDTEXT);
    ASSERT_TRUE(UA_Variant_hasScalarType(l.get(), &UA_TYPES[UA_TYPES_LOCALIZEDTEXT]));
    const auto* localized = static_cast<const UA_LocalizedText*>(l->data);
    EXPECT_EQ(TextBytes(localized->locale), "en-US");
    EXPECT_EQ(TextBytes(localized->text), "Pump");
}

TEST(OtherTypes, GiveAnEmptyVariant) {
    for (int type : {UA_TYPES_GUID, UA_TYPES_XMLELEMENT, UA_TYPES_NODEID, UA_TYPES_STATUSCODE,
                     UA_TYPES_QUALIFIEDNAME, 21, 0xFFFF, -1}) {
        const UaVariant v = ValueFromText("1", type);
        EXPECT_TRUE(UA_Variant_isEmpty(v.get())) << "type index " << type;
    }
}

}  // namespace
