#include "export/csv/csv_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "export/replacing_file.h"
#include "temp_dir.h"

namespace {

TEST(CsvFieldTest, QuotedOnlyWhenNeeded) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"ns=2;i=1001", "ns=2;i=1001"},
        {"泵.压力", "泵.压力"},
        {" padded ", " padded "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"crlf\r\nend", "\"crlf\r\nend\""},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(CsvWriterTest, RecordsWithBomAndCrlf) {
    TempDir dir;
    ReplacingFile file = ReplacingFile::Begin(dir.File("out.csv"));
    ASSERT_TRUE(file.IsOpen());
    CsvWriter csv(file);
    csv.ByteOrderMark();
    csv.Field("ID");
    csv.Field("a,b");
    EXPECT_TRUE(csv.EndRecord());
    csv.Field("");
    csv.Field("");
    EXPECT_TRUE(csv.EndRecord());
    csv.Field("x");
    EXPECT_TRUE(csv.EndRecord());
    ASSERT_TRUE(csv.Flush());
    EXPECT_EQ(ReadAll(dir.File("out.csv")), "") << "nothing at the target before the commit";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(dir.File("out.csv")), "\xEF\xBB\xBFID,\"a,b\"\r\n,\r\nx\r\n");
}

}  // namespace
