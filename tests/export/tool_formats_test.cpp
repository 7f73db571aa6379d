// The texts the formats for other tools are made of: TOML and JSON strings, the collector's
// node identifiers, typed JSON values as the list's value texts give them.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engine/opcua_item_data.h"
#include "engine/value_text.h"
#include "export/export_format.h"
#include "export/json/json_point_export.h"
#include "export/json/json_text.h"
#include "export/tags/tags_csv_export.h"
#include "export/telegraf/telegraf_export.h"
#include "export/util/quoted_text.h"
#include "sample_points.h"

namespace {

TEST(TomlStringTest, EscapesWhatWouldEndOrBreakTheString) {
    const struct {
        std::string raw;
        std::string toml;
    } cases[] = {
        {"Level", "\"Level\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\plc\\tag", "\"C:\\\\plc\\\\tag\""},
        {"two\nlines\r", "\"two\\nlines\\r\""},
        {"tab\there", "\"tab\\there\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x1b\x7f", "\"\\u001B\\u007F\""},
        {"\xE6\xB8\xA9\xE5\xBA\xA6 \xC2\xB0"
         "C",
         "\"\xE6\xB8\xA9\xE5\xBA\xA6 \xC2\xB0"
         "C\""},
        {"bad\xFFutf8", "\"bad\xEF\xBF\xBDutf8\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(QuotedText(c.raw), c.toml) << c.raw;
}

TEST(JsonStringTest, EscapesQuotesBackslashesAndControls) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("x\ny\tz\x01"), "\"x\\ny\\tz\\u0001\"");
    EXPECT_EQ(JsonString("\xC2\xB0"
                         "C\x7F"),
              "\"\xC2\xB0"
              "C\\u007F\"");  // DEL escaped too: JSON and TOML read it the same
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");  // overlong: two U+FFFD
}

TEST(JsonNumberTest, TakesOnlyWhatJsonReadsAsANumber) {
    for (const char* number : {"0", "-5", "3.142", "18446744073709551615", "1e+300", "-0.000"})
        EXPECT_EQ(JsonNumber(number), number);
    for (const char* other : {"", "nan", "-nan", "inf", "01", "1.", ".5", "+1", "1e", "0x10", "1 "})
        EXPECT_EQ(JsonNumber(other), "") << other;
}

// The value as the read renders it, then as JSON.
std::string JsonOf(const void* value, int typeIndex) {
    UA_Variant variant;
    UA_Variant_setScalar(&variant, const_cast<void*>(value), &UA_TYPES[typeIndex]);
    SamplePoints points;
    OPCUAItemData& point = points.AddNumeric(2, 1, static_cast<std::uint16_t>(typeIndex));
    EXPECT_TRUE(VariantToText(variant, point.value)) << typeIndex;
    return JsonValue(point);
}

TEST(JsonValueTest, EveryValueTypeKeepsItsKind) {
    const UA_Boolean yes = true, no = false;
    const UA_SByte sbyte = -8;
    const UA_Byte byte = 200;
    const UA_Int16 int16 = -300;
    const UA_UInt16 uint16 = 60000;
    const UA_Int32 int32 = -70000;
    const UA_UInt32 uint32 = 4000000000u;
    const UA_Int64 int64 = -9000000000000000000LL;
    const UA_UInt64 uint64 = 18446744073709551615ULL;
    const UA_Float real = 0.1f;
    const UA_Double dbl = 3.14159;
    const UA_Double nan = std::numeric_limits<double>::quiet_NaN();
    const UA_Double inf = std::numeric_limits<double>::infinity();
    const UA_String text = UA_STRING_STATIC("say \"1\"");
    const UA_String number = UA_STRING_STATIC("42");
    const UA_DateTime time = UA_DateTime_fromUnixTime(1722837789) + 7 * UA_DATETIME_MSEC;
    const UA_ByteString bytes = UA_STRING_STATIC("raw");
    UA_LocalizedText localized;
    localized.locale = UA_STRING_STATIC("en-US");
    localized.text = UA_STRING_STATIC("Pump");

    EXPECT_EQ(JsonOf(&yes, UA_TYPES_BOOLEAN), "true");
    EXPECT_EQ(JsonOf(&no, UA_TYPES_BOOLEAN), "false");
    EXPECT_EQ(JsonOf(&sbyte, UA_TYPES_SBYTE), "-8");
    EXPECT_EQ(JsonOf(&byte, UA_TYPES_BYTE), "200");
    EXPECT_EQ(JsonOf(&int16, UA_TYPES_INT16), "-300");
    EXPECT_EQ(JsonOf(&uint16, UA_TYPES_UINT16), "60000");
    EXPECT_EQ(JsonOf(&int32, UA_TYPES_INT32), "-70000");
    EXPECT_EQ(JsonOf(&uint32, UA_TYPES_UINT32), "4000000000");
    EXPECT_EQ(JsonOf(&int64, UA_TYPES_INT64), "-9000000000000000000");
    EXPECT_EQ(JsonOf(&uint64, UA_TYPES_UINT64), "18446744073709551615");
    EXPECT_EQ(JsonOf(&real, UA_TYPES_FLOAT), "0.100");
    EXPECT_EQ(JsonOf(&dbl, UA_TYPES_DOUBLE), "3.142");
    // Not numbers JSON can write: kept as the list shows them.
    EXPECT_EQ(JsonOf(&nan, UA_TYPES_DOUBLE).front(), '"');
    EXPECT_EQ(JsonOf(&inf, UA_TYPES_DOUBLE), "\"inf\"");
    // A string that looks like a number stays a string.
    EXPECT_EQ(JsonOf(&text, UA_TYPES_STRING), "\"say \\\"1\\\"\"");
    EXPECT_EQ(JsonOf(&number, UA_TYPES_STRING), "\"42\"");
    EXPECT_EQ(JsonOf(&time, UA_TYPES_DATETIME), "\"5-8-2024 6:3:9.007\"");
    EXPECT_EQ(JsonOf(&bytes, UA_TYPES_BYTESTRING), "\"raw\"");
    EXPECT_EQ(JsonOf(&localized, UA_TYPES_LOCALIZEDTEXT), "\"Pump\"");
}

TEST(JsonValueTest, NothingReadIsNullAndAStaleTextIsAString) {
    SamplePoints points;
    OPCUAItemData& never = points.AddNumeric(2, 1, OPCUAItemData::kNoType);
    EXPECT_EQ(JsonValue(never), "null");
    // An array keeps the text of its last scalar; the type says Int32 but the text may be old.
    OPCUAItemData& array = points.AddNumeric(2, 2, UA_TYPES_INT32);
    array.value = "7";
    array.isArray = true;
    EXPECT_EQ(JsonValue(array), "\"7\"");
    // A type changed while the text did not convert: the text decides.
    OPCUAItemData& changed = points.AddNumeric(2, 3, UA_TYPES_DOUBLE);
    changed.value = "running";
    EXPECT_EQ(JsonValue(changed), "\"running\"");
    OPCUAItemData& flag = points.AddNumeric(2, 4, UA_TYPES_BOOLEAN);
    flag.value = "2";
    EXPECT_EQ(JsonValue(flag), "\"2\"");
}

TEST(TelegrafIdentifierTest, EveryIdentifierKindAsThePluginParsesIt) {
    SamplePoints points;
    const auto id = [](const OPCUAItemData& p) { return TelegrafIdentifierOf(p.nodeId); };
    const TelegrafIdentifier numeric = id(points.AddNumeric(2, 4294967295u, 5));
    EXPECT_EQ(numeric.type, "i");
    EXPECT_EQ(numeric.identifier, "4294967295");
    // The string itself, not the list's escaped text of it.
    const TelegrafIdentifier text = id(points.AddString(3, "a\nb\\c", 5));
    EXPECT_EQ(text.type, "s");
    EXPECT_EQ(text.identifier, "a\nb\\c");
    // Field by field, not in stored byte order as the list shows a GUID.
    const TelegrafIdentifier guid = id(points.AddGuid(4, SampleGuid(), 5));
    EXPECT_EQ(guid.type, "g");
    EXPECT_EQ(guid.identifier, "00000001-0002-0003-aabb-ccddeeff0011");
    const TelegrafIdentifier opaque = id(points.AddOpaque(5, "abc", 5));
    EXPECT_EQ(opaque.type, "b");
    EXPECT_EQ(opaque.identifier, "YWJj");
}

TEST(TelegrafSecurityTest, TheScansChoicesInThePluginsWords) {
    EXPECT_EQ(TelegrafSecurityMode("Sign & Encrypt"), "SignAndEncrypt");
    EXPECT_EQ(TelegrafSecurityMode("Sign"), "Sign");
    EXPECT_EQ(TelegrafSecurityMode("None"), "None");
    EXPECT_EQ(TelegrafSecurityMode(""), "auto");
    EXPECT_EQ(TelegrafSecurityPolicy("Basic256Sha256"), "Basic256Sha256");
    EXPECT_EQ(TelegrafSecurityPolicy(""), "auto");
}

TEST(TagListTest, AccessFromTheReadAndWriteBits) {
    EXPECT_EQ(AccessText(0), "");
    EXPECT_EQ(AccessText(UA_ACCESSLEVELMASK_READ), "R");
    EXPECT_EQ(AccessText(UA_ACCESSLEVELMASK_WRITE), "W");
    EXPECT_EQ(AccessText(UA_ACCESSLEVELMASK_READ | UA_ACCESSLEVELMASK_WRITE |
                         UA_ACCESSLEVELMASK_HISTORYREAD),
              "RW");
    EXPECT_EQ(AccessText(UA_ACCESSLEVELMASK_HISTORYREAD), "");
}

TEST(ToolFormatChoiceTest, ExtensionsAndFileTypesOfTheNewFormats) {
    EXPECT_EQ(ChooseExportFormat(SaveFilter::Xls, "/tmp/points.JSON"), ExportFormat::Json);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::All, "/tmp/telegraf.toml"), ExportFormat::Telegraf);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::Json, "/tmp/points"), ExportFormat::Json);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::Telegraf, "/tmp/opcua.conf"), ExportFormat::Telegraf);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::TagsCsv, "/tmp/tags.csv"), ExportFormat::TagsCsv);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::TagsCsv, "/tmp/tags"), ExportFormat::TagsCsv);
    // A typed extension of another format still wins.
    EXPECT_EQ(ChooseExportFormat(SaveFilter::TagsCsv, "/tmp/tags.xlsx"), ExportFormat::Xlsx);
    EXPECT_EQ(ChooseExportFormat(SaveFilter::Json, "/tmp/points.csv"), ExportFormat::Csv);
    // Only the tables and the JSON document have columns for attributes.
    for (const ExportFormat format :
         {ExportFormat::Xlsx, ExportFormat::Csv, ExportFormat::Json, ExportFormat::TagsCsv})
        EXPECT_TRUE(CarriesAttributes(format));
    EXPECT_FALSE(CarriesAttributes(ExportFormat::Xls));
    EXPECT_FALSE(CarriesAttributes(ExportFormat::Telegraf));
}

}  // namespace
