#include "engine/value_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "engine/node_id_text.h"

namespace {

template <class T>
std::string Render(T value, int typeIndex) {
    UA_Variant variant;
    UA_Variant_setScalar(&variant, &value, &UA_TYPES[typeIndex]);
    std::string text = "previous";
    if (!VariantToText(variant, text)) return "refused, kept " + text;
    return text;
}

UA_DateTime Utc(int year, int month, int day, int hour, int min, int sec, int milli) {
    UA_DateTimeStruct t{};
    t.year = static_cast<UA_Int16>(year);
    t.month = static_cast<UA_UInt16>(month);
    t.day = static_cast<UA_UInt16>(day);
    t.hour = static_cast<UA_UInt16>(hour);
    t.min = static_cast<UA_UInt16>(min);
    t.sec = static_cast<UA_UInt16>(sec);
    t.milliSec = static_cast<UA_UInt16>(milli);
    return UA_DateTime_fromStruct(t);
}

// Sets the process time zone for one test and puts the old one back.
class LocalZone {
public:
    explicit LocalZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old, hadOld_ = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~LocalZone() {
        if (hadOld_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

}  // namespace

TEST(VariantToText, Numbers) {
    EXPECT_EQ(Render(UA_Boolean{true}, UA_TYPES_BOOLEAN), "1");
    EXPECT_EQ(Render(UA_Boolean{false}, UA_TYPES_BOOLEAN), "0");
    EXPECT_EQ(Render(UA_SByte{-128}, UA_TYPES_SBYTE), "-128");
    EXPECT_EQ(Render(UA_Byte{255}, UA_TYPES_BYTE), "255");
    EXPECT_EQ(Render(UA_Int16{-32768}, UA_TYPES_INT16), "-32768");
    EXPECT_EQ(Render(UA_UInt16{65535}, UA_TYPES_UINT16), "65535");
    EXPECT_EQ(Render(UA_Int32{-2147483647 - 1}, UA_TYPES_INT32), "-2147483648");
    EXPECT_EQ(Render(UA_UInt32{4294967295u}, UA_TYPES_UINT32), "4294967295");
    EXPECT_EQ(Render(UA_Int64{-5}, UA_TYPES_INT64), "-5");
    EXPECT_EQ(Render(std::numeric_limits<UA_Int64>::min(), UA_TYPES_INT64), "-9223372036854775808");
    EXPECT_EQ(Render(std::numeric_limits<UA_UInt64>::max(), UA_TYPES_UINT64),
              "18446744073709551615");
}

TEST(VariantToText, FloatingPointHasThreeRoundedDecimals) {
    EXPECT_EQ(Render(UA_Double{3.14159}, UA_TYPES_DOUBLE), "3.142");
    EXPECT_EQ(Render(UA_Float{0.1f}, UA_TYPES_FLOAT), "0.100");
    EXPECT_EQ(Render(UA_Double{-2.0}, UA_TYPES_DOUBLE), "-2.000");
    EXPECT_EQ(Render(UA_Double{0.0005}, UA_TYPES_DOUBLE), "0.001");
    EXPECT_EQ(Render(UA_Double{1e20}, UA_TYPES_DOUBLE), "100000000000000000000.000");
    // The widest value there is still fits.
    const std::string widest = Render(std::numeric_limits<UA_Double>::max(), UA_TYPES_DOUBLE);
    EXPECT_EQ(widest.size(), 309u + 4u);
    EXPECT_EQ(widest.substr(0, 6), "179769");
}

TEST(VariantToText, DateTimeIsUtcDayFirstAndUnpadded) {
    const UA_DateTime value = Utc(2024, 8, 5, 6, 3, 9, 7);
    LocalZone zone("UTC-8");  // the local zone does not enter into it
    EXPECT_EQ(Render(value, UA_TYPES_DATETIME), "5-8-2024 6:3:9.007");
    EXPECT_EQ(Render(Utc(1999, 12, 31, 23, 59, 58, 999), UA_TYPES_DATETIME),
              "31-12-1999 23:59:58.999");
}

TEST(VariantToText, TextsStopAtTheirFirstZeroByte) {
    UA_LocalizedText pump = UA_LOCALIZEDTEXT(const_cast<char*>("en-US"), const_cast<char*>("Pump"));
    EXPECT_EQ(Render(pump, UA_TYPES_LOCALIZEDTEXT), "Pump");
    EXPECT_EQ(Render(UA_STRING(const_cast<char*>("Tank 1")), UA_TYPES_STRING), "Tank 1");
    EXPECT_EQ(Render(UA_String{0, nullptr}, UA_TYPES_STRING), "");

    UA_Byte bytes[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(Render(UA_ByteString{4, bytes}, UA_TYPES_BYTESTRING), "ab");
    EXPECT_EQ(Render(UA_String{4, bytes}, UA_TYPES_STRING), "ab");
}

TEST(VariantToText, TypesWithoutANumberOrTextForm) {
    UA_Guid guid{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 0xFF}};
    UA_ExpandedNodeId plain = UA_EXPANDEDNODEID_NUMERIC(0, 85);
    UA_ExpandedNodeId withUri = UA_EXPANDEDNODEID_STRING(0, const_cast<char*>("Tank"));
    withUri.namespaceUri = UA_STRING(const_cast<char*>("urn:plant"));
    UA_ExpandedNodeId remote = UA_EXPANDEDNODEID_NUMERIC(3, 7);
    remote.serverIndex = 2;
    UA_Byte body[] = {1, 2, 3, 4, 5};
    UA_ExtensionObject encoded{};
    encoded.encoding = UA_EXTENSIONOBJECT_ENCODED_BYTESTRING;
    encoded.content.encoded.typeId = UA_NODEID_NUMERIC(0, 887);
    encoded.content.encoded.body = {5, body};
    UA_Range range{1.0, 2.0};
    UA_ExtensionObject decoded{};
    decoded.encoding = UA_EXTENSIONOBJECT_DECODED_NODELETE;
    decoded.content.decoded.type = &UA_TYPES[UA_TYPES_RANGE];
    decoded.content.decoded.data = &range;
    UA_XmlElement xml = UA_STRING(const_cast<char*>("<a/>"));

    struct Case {
        const char* what;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"Guid, fields as numbers", Render(guid, UA_TYPES_GUID),
         "12345678-9abc-def0-0102-0304050607ff"},
        {"StatusCode", Render(UA_StatusCode{0x803C0000}, UA_TYPES_STATUSCODE),
         "BadOutOfRange (0x803C0000)"},
        {"StatusCode Good", Render(UA_StatusCode{0}, UA_TYPES_STATUSCODE), "Good (0x00000000)"},
        {"QualifiedName",
         Render(UA_QUALIFIEDNAME(1, const_cast<char*>("Name")), UA_TYPES_QUALIFIEDNAME), "1:Name"},
        {"NodeId", Render(UA_NODEID_STRING(2, const_cast<char*>("Line1.Temp")), UA_TYPES_NODEID),
         "ns=2;s=Line1.Temp"},
        {"ExpandedNodeId", Render(plain, UA_TYPES_EXPANDEDNODEID), "ns=0;i=85"},
        {"ExpandedNodeId with URI", Render(withUri, UA_TYPES_EXPANDEDNODEID),
         "nsu=urn:plant;s=Tank"},
        {"ExpandedNodeId elsewhere", Render(remote, UA_TYPES_EXPANDEDNODEID), "svr=2;ns=3;i=7"},
        {"XmlElement", Render(xml, UA_TYPES_XMLELEMENT), "<a/>"},
        {"ExtensionObject still encoded", Render(encoded, UA_TYPES_EXTENSIONOBJECT),
         "ns=0;i=887 (5 B)"},
        {"ExtensionObject decoded", Render(decoded, UA_TYPES_EXTENSIONOBJECT), "ns=0;i=886 (16 B)"},
        {"structure the library decoded", Render(range, UA_TYPES_RANGE), "ns=0;i=886 (16 B)"},
        {"enumeration", Render(UA_NodeClass{UA_NODECLASS_VARIABLE}, UA_TYPES_NODECLASS), "2"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected) << c.what;
}

TEST(VariantToText, ArraysShowEachElementAsItsScalar) {
    auto render = [](void* data, std::size_t length, int typeIndex) {
        UA_Variant variant;
        UA_Variant_setArray(&variant, data, length, &UA_TYPES[typeIndex]);
        std::string text = "previous";
        EXPECT_TRUE(VariantToText(variant, text));
        return text;
    };
    UA_Int32 ints[] = {1, -2, 3};
    EXPECT_EQ(render(ints, 3, UA_TYPES_INT32), "[1, -2, 3]");
    EXPECT_EQ(render(ints, 1, UA_TYPES_INT32), "[1]");  // one element is still an array
    EXPECT_EQ(render(UA_EMPTY_ARRAY_SENTINEL, 0, UA_TYPES_INT32), "[]");
    UA_Double doubles[] = {0.1, 3.14159};
    EXPECT_EQ(render(doubles, 2, UA_TYPES_DOUBLE), "[0.100, 3.142]");
    UA_String strings[] = {UA_STRING(const_cast<char*>("a b")),
                           UA_STRING(const_cast<char*>("世界"))};
    EXPECT_EQ(render(strings, 2, UA_TYPES_STRING), "[a b, 世界]");
    UA_StatusCode codes[] = {0x803C0000, 0};
    EXPECT_EQ(render(codes, 2, UA_TYPES_STATUSCODE),
              "[BadOutOfRange (0x803C0000), Good (0x00000000)]");

    // 64 elements are shown, then how many there are.
    std::vector<UA_Byte> many(100);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<UA_Byte>(i);
    const std::string text = render(many.data(), many.size(), UA_TYPES_BYTE);
    EXPECT_EQ(text.substr(0, 10), "[0, 1, 2, ");
    EXPECT_NE(text.find(", 63, … (100)]"), std::string::npos) << text;
    EXPECT_EQ(text.find("64"), std::string::npos) << text;
    many.resize(64);
    EXPECT_EQ(render(many.data(), many.size(), UA_TYPES_BYTE).find("…"), std::string::npos);
}

TEST(VariantToText, NullIsEmptyAndTypesWithoutTextAreRefused) {
    UA_Variant empty;
    UA_Variant_init(&empty);
    std::string text = "old";
    EXPECT_TRUE(VariantToText(empty, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(Render(UA_DiagnosticInfo{}, UA_TYPES_DIAGNOSTICINFO), "refused, kept previous");
}

TEST(NodeIdToText, AllFourIdentifierKinds) {
    EXPECT_EQ(NodeIdToText(UA_NODEID_NUMERIC(0, 2258)), "ns=0;i=2258");
    EXPECT_EQ(NodeIdToText(UA_NODEID_NUMERIC(65535, 4294967295u)), "ns=65535;i=4294967295");
    EXPECT_EQ(NodeIdToText(UA_NODEID_STRING(2, const_cast<char*>("Line1.Temp"))),
              "ns=2;s=Line1.Temp");

    UA_Byte abc[] = {'a', 'b', 'c'};
    UA_NodeId opaque = UA_NODEID_NUMERIC(1, 0);
    opaque.identifierType = UA_NODEIDTYPE_BYTESTRING;
    opaque.identifier.byteString = {3, abc};
    EXPECT_EQ(NodeIdToText(opaque), "ns=1;b=YWJj");
    // Padding for one and two trailing bytes, and the two characters beyond letters and digits.
    UA_Byte tail[] = {0xFB, 0xFF, 0x01, 0x02};
    opaque.identifier.byteString = {4, tail};
    EXPECT_EQ(NodeIdToText(opaque), "ns=1;b=+/8BAg==");
    opaque.identifier.byteString = {2, tail};
    EXPECT_EQ(NodeIdToText(opaque), "ns=1;b=+/8=");
    opaque.identifier.byteString = {0, nullptr};
    EXPECT_EQ(NodeIdToText(opaque), "ns=1;b=");

    UA_Guid guid{1, 2, 3, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11}};
    EXPECT_EQ(NodeIdToText(UA_NODEID_GUID(2, guid)), "ns=2;g=01000000-0200-0300-aabb-ccddeeff0011");
}

TEST(GuidToText, ShowsTheStoredBytesInOrder) {
    UA_Guid guid{1, 2, 3, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11}};
    EXPECT_EQ(GuidToText(guid), "01000000-0200-0300-aabb-ccddeeff0011");
    UA_Guid wide{0x12345678, 0x9ABC, 0xDEF0, {0, 1, 2, 3, 4, 5, 6, 7}};
    EXPECT_EQ(GuidToText(wide), "78563412-bc9a-f0de-0001-020304050607");
}

TEST(QualityText, SeverityBitsDecide) {
    EXPECT_STREQ(QualityText(0x00000000), "GOOD");
    EXPECT_STREQ(QualityText(0x00960000), "GOOD");  // GoodLocalOverride
    EXPECT_STREQ(QualityText(0x40920000), "UNCERTAIN");
    EXPECT_STREQ(QualityText(0x40900000), "UNCERTAIN");
    EXPECT_STREQ(QualityText(0x80340000), "BAD");
    EXPECT_STREQ(QualityText(0xC0000000), "BAD");  // the reserved severity counts as bad
}

TEST(TimeText, IsTheUtcInstantInLocalTimeYearFirst) {
    const UA_DateTime instant = Utc(2024, 8, 5, 6, 3, 9, 7);
    {
        LocalZone zone("UTC-8");  // POSIX spelling of eight hours east of Greenwich
        EXPECT_EQ(TimeText(instant), "2024-08-05 14:03:09");
        EXPECT_EQ(TimeText(Utc(2024, 12, 31, 20, 0, 0, 0)), "2025-01-01 04:00:00");
    }
    {
        LocalZone zone("UTC+5");
        EXPECT_EQ(TimeText(instant), "2024-08-05 01:03:09");
    }
}

TEST(TimeText, NoResponseShowsNoTimeAndTheInstantAfterItDoes) {
    LocalZone zone("UTC-8");
    EXPECT_EQ(TimeText(0), "");
    EXPECT_EQ(TimeText(UA_DATETIME_SEC), "1601-01-01 08:00:01");
}

TEST(BuiltinTypeIndex, IsThePositionInTheLibraryTable) {
    EXPECT_EQ(BuiltinTypeIndex(&UA_TYPES[UA_TYPES_BOOLEAN]), 0);
    EXPECT_EQ(BuiltinTypeIndex(&UA_TYPES[UA_TYPES_INT32]), 5);
    EXPECT_EQ(BuiltinTypeIndex(&UA_TYPES[UA_TYPES_LOCALIZEDTEXT]), 20);
    UA_DataType foreign = UA_TYPES[UA_TYPES_INT32];
    EXPECT_EQ(BuiltinTypeIndex(&foreign), kNoTypeIndex);
}

// The library's breakdown overflows near the ends of the 64-bit range (UBSan) and shows wrapped
// years well inside it; those instants show a plain statement in every time zone.
TEST(TimeTexts, InstantsOutsideFourDigitYearsAreOutOfRange) {
    constexpr UA_DateTime kMin = std::numeric_limits<UA_DateTime>::min();
    constexpr UA_DateTime kMax = std::numeric_limits<UA_DateTime>::max();
    const UA_DateTime lastShown = Utc(9999, 12, 31, 23, 59, 59, 999);
    for (const char* zone : {"UTC", "UTC-14", "UTC+12"}) {
        LocalZone local(zone);
        for (UA_DateTime t : {kMin, kMin + 1, UA_DateTime{-1}, lastShown + 10000, kMax - 1, kMax}) {
            EXPECT_EQ(TimeText(t), kTimeOutOfRange) << zone << " " << t;
            EXPECT_EQ(Render(t, UA_TYPES_DATETIME), kTimeOutOfRange) << zone << " " << t;
        }
    }
    LocalZone utc("UTC");
    EXPECT_EQ(TimeText(lastShown), "9999-12-31 23:59:59");
    EXPECT_EQ(Render(lastShown, UA_TYPES_DATETIME), "31-12-9999 23:59:59.999");
    EXPECT_EQ(Render(UA_DateTime{0}, UA_TYPES_DATETIME), "1-1-1601 0:0:0.000");
}

TEST(NodeIdToText, StringIdentifiersAreWholeWithControlCharactersEscaped) {
    const struct {
        std::string identifier;
        std::string shown;
    } cases[] = {
        {std::string("A\0B", 3), "ns=2;s=A\\x00B"},
        {std::string("A\0C", 3), "ns=2;s=A\\x00C"},  // no longer the same text as the one above
        {"tab\there", "ns=2;s=tab\\x09here"},
        {"\x1f\x7f\n", "ns=2;s=\\x1f\\x7f\\x0a"},
        {"泵.速度 ~", "ns=2;s=泵.速度 ~"},
        {std::string(600, 'x'), "ns=2;s=" + std::string(600, 'x')},
        {"", "ns=2;s="},
    };
    for (const auto& c : cases) {
        UA_NodeId id = UA_NODEID_NUMERIC(2, 0);
        id.identifierType = UA_NODEIDTYPE_STRING;
        id.identifier.string = {c.identifier.size(),
                                reinterpret_cast<UA_Byte*>(const_cast<char*>(c.identifier.data()))};
        EXPECT_EQ(NodeIdToText(id), c.shown);
        EXPECT_EQ("ns=2;s=" + IdentifierText(id.identifier.string), c.shown);
    }
}
