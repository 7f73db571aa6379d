#include "export/xls/xls_book.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "compound_file_reader.h"
#include "temp_dir.h"

namespace {

class XlsBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        book_.New();
        XlsSheet* sheet = book_.GetSheet(0);
        sheet->Cell(0, 0)->SetWString(u"ID");
        sheet->Cell(1, 0)->SetString("1");
        sheet->Cell(1, 3)->SetWString(u"ns=2;s=Tank.Level");
    }
    static std::vector<std::uint8_t> Built(XlsBook& book) {
        const auto bytes = book.BuildStream();
        EXPECT_TRUE(bytes.has_value());
        if (!bytes) return {};
        return {bytes->data(), bytes->data() + bytes->size()};
    }
    std::vector<std::uint8_t> StreamInFile(const std::string& name) {
        return CompoundFileReader::FromPath(dir_.File(name)).ReadStream(u"Workbook");
    }

    TempDir dir_;
    XlsBook book_;
};

TEST_F(XlsBookTest, SaveAsWritesTheBuiltStream) {
    const auto expected = Built(book_);
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(book_.SaveAs(dir_.File16("book.xls")));
    EXPECT_EQ(StreamInFile("book.xls"), expected);
    const auto entries = CompoundFileReader::FromPath(dir_.File("book.xls")).Entries();
    std::size_t streams = 0;
    for (const auto& entry : entries) streams += entry.type == 2;
    EXPECT_EQ(streams, 1u);
}

TEST_F(XlsBookTest, SavingTwiceWritesTheSameStream) {
    ASSERT_TRUE(book_.SaveAs(dir_.File16("first.xls")));
    ASSERT_TRUE(book_.SaveAs(dir_.File16("second.xls")));
    const auto first = StreamInFile("first.xls");
    EXPECT_EQ(first, StreamInFile("second.xls"));
    ASSERT_TRUE(book_.Save());  // into second.xls again
    EXPECT_EQ(first, StreamInFile("second.xls"));
    EXPECT_EQ(book_.GetSheet(0)->RowCount(), 2u) << "saving leaves the grid alone";
}

TEST_F(XlsBookTest, SaveWithoutAnOpenFileFails) {
    EXPECT_FALSE(book_.Save());
    ASSERT_TRUE(book_.SaveAs(dir_.File16("book.xls")));
    book_.Close();
    EXPECT_FALSE(book_.Save());
}

TEST_F(XlsBookTest, UncreatablePathFails) {
    EXPECT_FALSE(book_.SaveAs(dir_.File16("no/such/dir/book.xls")));
    EXPECT_FALSE(book_.Save());
    ASSERT_EQ(::mkdir(dir_.File("locked").c_str(), 0500), 0);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_FALSE(book_.SaveAs(dir_.File16("locked/book.xls")));
    }
}

TEST_F(XlsBookTest, FailedSaveKeepsTheOldFile) {
    const std::u16string tooLong(70000, u'x');
    book_.GetSheet(0)->Cell(2, 0)->SetWString(tooLong.c_str());
    EXPECT_FALSE(book_.SaveAs(dir_.File16("partial.xls")));
    EXPECT_TRUE(dir_.Names().empty()) << "no file, not even a temporary";

    XlsBook other;
    other.New();
    ASSERT_TRUE(other.SaveAs(dir_.File16("partial.xls")));
    const auto before = StreamInFile("partial.xls");
    EXPECT_FALSE(book_.SaveAs(dir_.File16("partial.xls")));
    EXPECT_EQ(StreamInFile("partial.xls"), before);
    EXPECT_FALSE(book_.Save()) << "a failed SaveAs leaves the book without a file";
}

TEST_F(XlsBookTest, NewStartsOverWithOneEmptySheet) {
    ASSERT_TRUE(book_.SaveAs(dir_.File16("book.xls")));
    book_.New();
    ASSERT_NE(book_.GetSheet(0), nullptr);
    EXPECT_EQ(book_.GetSheet(1), nullptr);
    EXPECT_EQ(book_.GetSheet(0)->RowCount(), 1u);
    EXPECT_EQ(book_.GetSheet(0)->ColumnCount(), 1u);
    XlsBook fresh;
    fresh.New();
    EXPECT_EQ(Built(book_), Built(fresh));
    EXPECT_TRUE(book_.Save()) << "the book keeps its file";
}

}  // namespace
