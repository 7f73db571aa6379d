#include "ui/cell_text.h"

#include <gtest/gtest.h>

#include <QString>

#include "export/point_row.h"
#include "tests/ui/point_ids.h"
#include "texts/text_table.h"
#include "ui/invalid_value_text.h"
#include "ui/write_caption.h"

namespace {

OPCUAItemData Record(const UA_NodeId& id) {
    return OPCUAItemData(id, "3.142", "Double", "Level", "2024-08-05 14:03:09", "GOOD");
}

bool ValidUtf8(const std::string& s) {
    const QString decoded = QString::fromUtf8(s);
    return decoded.toUtf8() == QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

TEST(CutUtf8, CutsToTheLimitButNeverSplitsASequence) {
    const std::string han = "点名点名";             // 3 bytes each
    const std::string emoji = "a\xF0\x9F\x98\x80";  // a 4-byte sequence
    const struct {
        std::string text;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"abc", 3, "abc"}, {"", 0, ""},      {"abcd", 3, "abc"}, {han, 3, "点"},  {han, 4, "点"},
        {han, 5, "点"},    {han, 6, "点名"}, {han, 2, ""},       {emoji, 4, "a"}, {emoji, 5, emoji},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutUtf8(c.text, c.limit), c.expected) << c.text << " / " << c.limit;
}

TEST(CellTexts, ColumnsShowTheRecord) {
    const OPCUAItemData r = Record(StringId(2, "Line1.Temp"));
    EXPECT_EQ(CellText(r, 0, 0), "1");
    EXPECT_EQ(CellText(r, 41, 0), "42");
    EXPECT_EQ(CellText(r, 0, 1), "ns=2;s=Line1.Temp");
    EXPECT_EQ(CellText(r, 0, 2), "Level");
    EXPECT_EQ(CellText(r, 0, 3), "3.142");
    EXPECT_EQ(CellText(r, 0, 4), "GOOD");
    EXPECT_EQ(CellText(r, 0, 5), "2024-08-05 14:03:09");
    EXPECT_EQ(CellText(r, 0, 6), "Double");
    EXPECT_EQ(CellText(r, 0, 7), "");
    EXPECT_EQ(CellText(r, 0, -1), "");
}

TEST(CellTexts, LongTextsAreCutOnACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 300; ++i) name += "名";  // 900 bytes
    OPCUAItemData r(NumericId(2, 1), "", "", name, "", "");
    const std::string shown = CellText(r, 0, 2);
    EXPECT_LE(shown.size(), kCellTextMax);
    EXPECT_GE(shown.size(), kCellTextMax - 2);
    EXPECT_TRUE(ValidUtf8(shown));
}

// A cut identifier on the clipboard names another node, or none.
TEST(CellTexts, CopyTextIsTheWholeNodeId) {
    const std::string longId(600, 'x');
    EXPECT_EQ(CopyText(Record(StringId(2, longId))), "ns=2;s=" + longId);
}

// A NUL inside a string identifier no longer ends the text; list, copy and export show the same
// escaped identifier, so two such nodes stay apart everywhere.
TEST(CellTexts, ControlCharactersShowEscapedInListCopyAndExportAlike) {
    const std::string withNul("Tank\0A\tB", 8);
    const OPCUAItemData r = Record(StringId(2, withNul));
    const std::string shown = "ns=2;s=Tank\\x00A\\x09B";
    EXPECT_EQ(CellText(r, 0, 1), shown);
    EXPECT_EQ(CopyText(r), shown);
    const PointRow row = MakePointRow(r, 1);
    EXPECT_EQ(QString::fromStdU16String(row.regAddress).toStdString(), shown);
    EXPECT_EQ(QString::fromStdU16String(row.name).toStdString(), "Tank\\x00A\\x09B");
    EXPECT_NE(CellText(Record(StringId(2, std::string("Tank\0B", 6))), 0, 1),
              CellText(Record(StringId(2, std::string("Tank\0C", 6))), 0, 1));
}

TEST(InvalidValueText, NamesTheExpectedFormInBothLanguages) {
    const struct {
        int typeIndex;
        const char* chinese;
        const char* english;
    } cases[] = {
        {UA_TYPES_INT32, "值无效，应为 Int32 (-2147483648 ~ 2147483647)",
         "invalid value, expected Int32 (-2147483648 to 2147483647)"},
        {UA_TYPES_BYTE, "值无效，应为 Byte (0 ~ 255)", "invalid value, expected Byte (0 to 255)"},
        {UA_TYPES_SBYTE, "值无效，应为 SByte (-128 ~ 127)",
         "invalid value, expected SByte (-128 to 127)"},
        {UA_TYPES_UINT64, "值无效，应为 UInt64 (0 ~ 18446744073709551615)",
         "invalid value, expected UInt64 (0 to 18446744073709551615)"},
        {UA_TYPES_INT64, "值无效，应为 Int64 (-9223372036854775808 ~ 9223372036854775807)",
         "invalid value, expected Int64 (-9223372036854775808 to 9223372036854775807)"},
        {UA_TYPES_BOOLEAN, "值无效，应为 Boolean (true、false、1 或 0)",
         "invalid value, expected Boolean (true, false, 1 or 0)"},
        {UA_TYPES_DOUBLE, "值无效，应为 Double (十进制数，如 1.5 或 -2.5e3)",
         "invalid value, expected Double (a decimal number such as 1.5 or -2.5e3)"},
        {UA_TYPES_DATETIME,
         "值无效，应为 DateTime (日-月-年 时:分:秒.毫秒 (UTC)，如 5-8-2024 6:3:9.007)",
         "invalid value, expected DateTime (D-M-YYYY H:M:S.mmm (UTC) such as 5-8-2024 6:3:9.007)"},
        {UA_TYPES_LOCALIZEDTEXT, "值无效，应为 LocalizedText (任意文本)",
         "invalid value, expected LocalizedText (any text)"},
        {UA_TYPES_GUID, "值无效，应为 Guid", "invalid value, expected Guid"},
    };
    for (const auto& c : cases) {
        language = 0;
        EXPECT_EQ(InvalidValueText(c.typeIndex), c.chinese);
        language = 1;
        EXPECT_EQ(InvalidValueText(c.typeIndex), c.english);
    }
    language = 0;
}

TEST(CellTexts, CopyTextKeepsUtf8Bytes) {
    EXPECT_EQ(CopyText(Record(StringId(3, "泵.速度"))), "ns=3;s=泵.速度");
}

class WriteCaption : public ::testing::Test {
protected:
    void TearDown() override { language = 0; }
};

TEST_F(WriteCaption, PrefixInTheCurrentLanguage) {
    language = 1;
    EXPECT_EQ(WriteDialogCaption(StringId(2, "Tank.Level")), "NodeId[ns=2;s=Tank.Level]");
    EXPECT_EQ(WriteDialogCaption(NumericId(0, 2253)), "NodeId[ns=0;i=2253]");
    language = 0;
    EXPECT_EQ(WriteDialogCaption(NumericId(0, 2253)), "点名[ns=0;i=2253]");
    EXPECT_EQ(WriteDialogCaption(GuidId(2)), "点名[ns=2;g=01000000-0200-0300-aabb-ccddeeff0011]");
    EXPECT_EQ(WriteDialogCaption(ByteStringId(2, "\x01\x02\x03")), "点名[ns=2;b=AQID]");
}

TEST_F(WriteCaption, LongIdentifiersAreShortenedSafely) {
    language = 1;
    const std::string fits(511 - std::string("[ns=2;s=]").size(), 'a');
    EXPECT_EQ(WriteDialogCaption(StringId(2, fits)), "NodeId[ns=2;s=" + fits + "]");

    std::string wide;
    for (int i = 0; i < 400; ++i) wide += "罐";
    const std::string caption = WriteDialogCaption(StringId(2, wide));
    const std::string bracketed = caption.substr(std::string("NodeId").size());
    EXPECT_LE(bracketed.size(), 511u);
    EXPECT_EQ(bracketed.substr(bracketed.size() - 4), "...]");
    EXPECT_EQ(bracketed.substr(0, 8), "[ns=2;s=");
    EXPECT_TRUE(ValidUtf8(caption));
}

}  // namespace
