#include "export/point_export.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "biff_records.h"
#include "compound_file_reader.h"
#include "export/point_row.h"
#include "export/point_row_utf8.h"
#include "export/xls/xls_sheet.h"
#include "sample_points.h"
#include "temp_dir.h"

namespace {

TEST(DefaultExportFileNameTest, HostPartOfTheUrl) {
    EXPECT_EQ(DefaultExportFileName("opc.tcp://127.0.0.1:4840"), "UA_127.0.0.1.xls");
    EXPECT_EQ(DefaultExportFileName("opc.tcp://plc01:4840/UA/Server"), "UA_plc01.xls");
    EXPECT_EQ(DefaultExportFileName("opc.tcp://"), "UA_.xls");
    EXPECT_EQ(DefaultExportFileName("plc01:4840"), "UA_plc01.xls");
    EXPECT_EQ(DefaultExportFileName("opc.tcp://plc01/UA:x"), "UA_plc01.xls") << "'/' first";
    EXPECT_EQ(DefaultExportFileName("proxy/opc.tcp://h2:1"), "UA_h2.xls") << "first scheme";
}

TEST(PointRowTest, TextsByIdentifierKind) {
    const auto points = SamplePoints::Handful();
    const auto& all = points.Pointers();
    struct Expected {
        std::string id;
        std::u16string name;
        std::string regType;
        std::u16string regAddress;
        std::string dataType;
    };
    const Expected expected[] = {
        {"1", u"1001", "ItemID", u"ns=2;i=1001", "Long"},
        {"2", u"Tank.Level", "ItemID", u"ns=3;s=Tank.Level", "Double"},
        {"3", u"01000000-0200-0300-aabb-ccddeeff0011", "ItemID",
         u"ns=4;g=01000000-0200-0300-aabb-ccddeeff0011", "Word"},
        {"4", u"", "", u"", "String"},  // opaque: only ID and DataType
        {"5", u"1002", "ItemID", u"ns=2;i=1002", "UInt64"},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const PointRow row = MakePointRow(*all[i], i + 1);
        EXPECT_EQ(row.id, expected[i].id);
        EXPECT_EQ(row.name, expected[i].name);
        EXPECT_EQ(row.regType, expected[i].regType);
        EXPECT_EQ(row.regAddress, expected[i].regAddress);
        EXPECT_EQ(row.dataType, expected[i].dataType);
    }
    const PointRow utf8 = MakePointRow(*all[6], 7);
    EXPECT_EQ(utf8.name, u"泵.压力");
    EXPECT_EQ(utf8.regAddress, u"ns=1;s=泵.压力");
    EXPECT_EQ(utf8.dataType, "DateTime");
}

// The text formats show what the .xls shows: narrow cells byte for character, wide cells
// converted back to UTF-8 with the same replacement of a character cut at its area's end.
TEST(PointRowUtf8Test, SameTextsAsTheWorkbook) {
    const struct {
        std::string bytes;
        std::string utf8;
    } narrow[] = {{"", ""}, {"Long", "Long"}, {"\xB5s", "\xC2\xB5s"}, {"\xFF", "\xC3\xBF"}};
    for (const auto& c : narrow) EXPECT_EQ(Latin1ToUtf8(c.bytes), c.utf8) << c.bytes;

    SamplePoints points;
    const std::string cut = std::string(509, 'L') + "泵";  // the area ends inside the character
    const PointCellsUtf8 cells = ToUtf8Cells(MakePointRow(points.AddString(1, cut, 5), 9));
    EXPECT_EQ(cells[0], "9");
    EXPECT_EQ(cells[1], std::string(509, 'L') + "\xEF\xBF\xBD");  // U+FFFD
    EXPECT_EQ(cells[2], "ItemID");
    EXPECT_EQ(cells[3].substr(0, 8), "ns=1;s=L");
    EXPECT_EQ(cells[4], "Long");
    EXPECT_EQ(cells[5], "");
    EXPECT_EQ(kPointHeaderUtf8[3], "RegAddress");
}

TEST(PointRowTest, TextsAreCutToTheirAreas) {
    SamplePoints points;
    const PointRow longId = MakePointRow(points.AddString(2, std::string(600, 'L'), 11), 1);
    EXPECT_EQ(longId.name, std::u16string(511, u'L'));
    EXPECT_EQ(longId.regAddress, u"ns=2;s=" + std::u16string(511 - 7, u'L'));

    // "ab" and 170 three-byte characters: byte 511 falls inside the 170th.
    std::string cjk = "ab";
    for (int i = 0; i < 170; ++i) cjk += "\xE6\xB3\xB5";
    const PointRow cut = MakePointRow(points.AddString(1, cjk, 11), 2);
    EXPECT_EQ(cut.name, u"ab" + std::u16string(169, u'泵') + u"\uFFFD");
    EXPECT_EQ(cut.regAddress, u"ns=1;s=ab" + std::u16string(167, u'泵') + u"\uFFFD");

    const PointRow nul = MakePointRow(points.AddString(1, std::string("Tank\0Level", 10), 11), 3);
    EXPECT_EQ(nul.name, u"Tank\\x00Level") << "escaped as the list shows it, not cut";
    EXPECT_EQ(nul.regAddress, u"ns=1;s=Tank\\x00Level");

    const PointRow longType = MakePointRow(points.AddNumeric(1, 1, 7, std::string(80, 'T')), 4);
    EXPECT_EQ(longType.dataType, std::string(63, 'T'));
}

TEST(PointRowTest, DataTypeColumnByTypeIndex) {
    const std::map<std::uint16_t, std::string> named = {
        {0, "Boolean"}, {1, "Word"},    {2, "Word"}, {3, "Short"},   {4, "Word"},
        {5, "Long"},    {6, "DWord"},   {7, "own"},  {8, "own"},     {9, "Float"},
        {10, "Double"}, {11, "String"}, {12, "own"}, {14, "String"}, {20, "String"}};
    SamplePoints points;
    for (std::uint16_t index = 0; index < 30; ++index) {
        const auto it = named.find(index);
        const std::string expected = it == named.end() ? "" : it->second;
        EXPECT_EQ(DataTypeColumn(points.AddNumeric(1, 1, index, "own")), expected) << index;
    }
    EXPECT_EQ(DataTypeColumn(points.AddNumeric(1, 1, OPCUAItemData::kNoType, "own")), "");
}

TEST(FillPointSheetTest, HeaderAndSevenColumnsPerPoint) {
    const auto points = SamplePoints::Handful();
    XlsSheet sheet(0);
    EXPECT_EQ(FillPointSheet(sheet, points.Pointers()), points.Pointers().size());
    EXPECT_EQ(sheet.RowCount(), points.Pointers().size() + 1);
    EXPECT_EQ(sheet.ColumnCount(), 7u);
    EXPECT_EQ(sheet.At(0, 3).WText(), u"RegAddress");
    EXPECT_EQ(sheet.At(0, 6).Kind(), CellKind::Undefined);
    EXPECT_EQ(sheet.At(1, 0).Kind(), CellKind::String);
    EXPECT_EQ(sheet.At(1, 1).Kind(), CellKind::WString);
    EXPECT_EQ(sheet.At(1, 2).Kind(), CellKind::String);
    EXPECT_EQ(sheet.At(1, 5).Kind(), CellKind::Undefined);
    EXPECT_EQ(sheet.At(1, 6).Kind(), CellKind::Undefined);
    for (std::size_t column = 1; column <= 3; ++column) {
        EXPECT_EQ(sheet.At(4, column).Kind(), CellKind::Undefined)
            << "opaque row, column " << column;
    }
    EXPECT_EQ(sheet.At(4, 4).Text(), "String");
}

std::string FormatName(ExportFormat format) {
    switch (format) {
        case ExportFormat::Xls:
            return "Xls";
        case ExportFormat::Xlsx:
            return "Xlsx";
        case ExportFormat::Csv:
            return "Csv";
        case ExportFormat::Json:
            return "Json";
        case ExportFormat::TagsCsv:
            return "TagsCsv";
        case ExportFormat::Telegraf:
            return "Telegraf";
    }
    return "?";
}

class ExportPointsTest : public ::testing::Test {
protected:
    std::vector<std::uint8_t> Stream(const std::string& name) {
        return CompoundFileReader::FromPath(dir_.File(name)).ReadStream(u"Workbook");
    }
    TempDir dir_;
};

TEST_F(ExportPointsTest, NoPointsGiveTheHeaderOnlyBook) {
    const ExportResult result = ExportPoints({}, dir_.File16("empty.xls"));
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.notExported, 0u);
    EXPECT_EQ(Stream("empty.xls").size(), 962u);
}

TEST_F(ExportPointsTest, AtMost65535PointsAreExported) {
    SamplePoints points;
    for (UA_UInt32 i = 0; i < 70000; ++i) points.AddNumeric(2, i, 5);
    const ExportResult result = ExportPoints(points.Pointers(), dir_.File16("many.xls"));
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.notExported, 4465u);
    const auto stream = Stream("many.xls");
    const auto records = SplitRecords(stream);
    std::size_t rows = 0;
    for (const auto& record : records) {
        if (record.type == 0x0200) {
            EXPECT_EQ(record.U32(4), 65536u) << "DIMENSIONS";
        }
        if (record.type == 0x0208) ++rows;
    }
    EXPECT_EQ(rows, 65536u);
}

TEST_F(ExportPointsTest, AnyExtensionStillGetsAWorkbook) {
    const auto points = SamplePoints::Handful();
    ASSERT_TRUE(ExportPoints(points.Pointers(), dir_.File16("points.txt")).saved);
    const auto stream = Stream("points.txt");
    ASSERT_GE(stream.size(), 8u);
    EXPECT_EQ(le::GetU16(stream.data()), 0x0809) << "a BIFF BOF";
}

// Paths go to .xlsx and .csv only: a workbook of points with paths is the very workbook of
// the same points without them.
TEST_F(ExportPointsTest, PathsLeaveTheXlsByteForByteAsItWas) {
    const auto withPaths = SamplePoints::Handful();
    auto without = SamplePoints::Handful();
    for (OPCUAItemData* point : without.Pointers()) point->paths.reset();
    ASSERT_NE(withPaths.Pointers()[1]->Path(), "");
    ASSERT_TRUE(ExportPoints(withPaths.Pointers(), dir_.File16("with.xls")).saved);
    ASSERT_TRUE(ExportPoints(without.Pointers(), dir_.File16("without.xls")).saved);
    const auto bytes = [this](const char* name) {
        std::ifstream in(dir_.File(name), std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_FALSE(bytes("with.xls").empty());
    EXPECT_EQ(bytes("with.xls"), bytes("without.xls"));
    EXPECT_EQ(ToUtf8Cells(MakePointRow(*withPaths.Pointers()[1], 2))[6], "Plant/Line1");
    EXPECT_EQ(kPointHeaderUtf8[6], "Path");
}

TEST_F(ExportPointsTest, FailedSaveIsReported) {
    const auto points = SamplePoints::Handful();
    for (const ExportFormat format : {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv}) {
        const ExportResult result =
            ExportPoints(points.Pointers(), dir_.File16("gone/points.xls"), format);
        EXPECT_FALSE(result.saved) << FormatName(format);
        EXPECT_EQ(result.notExported, 0u);
        EXPECT_FALSE(
            ExportPoints(points.Pointers(), dir_.File16("a") + u'\0' + u"b", format).saved);
    }
    EXPECT_TRUE(dir_.Names().empty());
}

// Every format replaces the old file only when the new one is complete: with the file size
// limited (a full disk, as `ulimit -f` makes it) the export fails, the old file keeps its bytes
// and no temporary stays behind. The limit applies in a child process only.
class FullDiskTest : public ExportPointsTest, public ::testing::WithParamInterface<ExportFormat> {};

TEST_P(FullDiskTest, OldFileSurvivesAFailedExport) {
    // Forked, not run again: the child must write into this test's directory.
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::string old = "the previous export, which must survive\n";
    {
        std::ofstream out(dir_.File("points.out"), std::ios::binary);
        out << old;
    }
    SamplePoints points;
    for (UA_UInt32 i = 0; i < 20000; ++i) points.AddString(2, "Line" + std::to_string(i), 10);
    const std::u16string path = dir_.File16("points.out");
    const ExportFormat format = GetParam();
    auto exportWithLimit = [&] {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::_Exit(ExportPoints(points.Pointers(), path, format).saved ? 0 : 3);
    };
    EXPECT_EXIT(exportWithLimit(), ::testing::ExitedWithCode(3), "");
    std::ifstream in(dir_.File("points.out"), std::ios::binary);
    const std::string after(std::istreambuf_iterator<char>(in), {});
    EXPECT_TRUE(after == old) << "the old file now holds " << after.size() << " other bytes";
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"points.out"});

    // Without the limit the same export goes through and replaces the file.
    EXPECT_TRUE(ExportPoints(points.Pointers(), path, format).saved);
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"points.out"});
    std::ifstream again(dir_.File("points.out"), std::ios::binary);
    EXPECT_GT(std::string(std::istreambuf_iterator<char>(again), {}).size(), 16u * 1024);
}

INSTANTIATE_TEST_SUITE_P(Formats, FullDiskTest,
                         ::testing::Values(ExportFormat::Xls, ExportFormat::Xlsx,
                                           ExportFormat::Csv),
                         [](const auto& info) { return FormatName(info.param); });

}  // namespace
