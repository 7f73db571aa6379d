// Sizes, positions and offsets of whole workbook streams, worked out by hand from BIFF8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_records.h"
#include "export/xls/xls_book.h"

namespace {

constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kSst = 0x00FC, kBoundSheet = 0x0085,
                        kIndex = 0x020B, kDimensions = 0x0200, kRow = 0x0208, kLabelSst = 0x00FD,
                        kBlank = 0x0201, kDbCell = 0x00D7, kWindow2 = 0x023E, kXf = 0x00E0,
                        kStyle = 0x0293;

const char16_t* const kHeader[] = {u"ID",         u"Name",     u"RegType",
                                   u"RegAddress", u"DataType", u"Description"};

std::vector<std::uint8_t> Build(XlsBook& book) {
    const auto bytes = book.BuildStream();
    EXPECT_TRUE(bytes.has_value());
    if (!bytes) return {};
    return {bytes->data(), bytes->data() + bytes->size()};
}

const BiffRecord* FindAt(const std::vector<BiffRecord>& records, std::size_t position) {
    for (const auto& record : records) {
        if (record.position == position) return &record;
    }
    return nullptr;
}

std::vector<const BiffRecord*> OfType(const std::vector<BiffRecord>& records, std::uint16_t type) {
    std::vector<const BiffRecord*> found;
    for (const auto& record : records) {
        if (record.type == type) found.push_back(&record);
    }
    return found;
}

class WorkbookLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { book_.New(); }
    XlsSheet& Sheet() { return *book_.GetSheet(0); }
    void FillHeader() {
        for (std::uint32_t c = 0; c < 6; ++c) Sheet().Cell(0, c)->SetWString(kHeader[c]);
    }
    void FillRows(std::uint32_t rows, std::uint32_t columns) {
        for (std::uint32_t r = 0; r < rows; ++r) {
            for (std::uint32_t c = 0; c < columns; ++c) {
                Sheet().Cell(r, c)->SetString(
                    ("r" + std::to_string(r) + "c" + std::to_string(c)).c_str());
            }
        }
    }
    XlsBook book_;
};

TEST_F(WorkbookLayoutTest, HeaderOnlyBook) {
    FillHeader();
    const auto bytes = Build(book_);
    ASSERT_EQ(bytes.size(), 962u);
    const auto records = SplitRecords(bytes);
    ASSERT_EQ(SumOfSizes(records), 962u);

    // Globals: BOF 20, WINDOW1 22, FONT 30, 21 XF 504, 6 STYLE 48, BOUNDSHEET 18, SST 114, EOF 4.
    const std::size_t globalSizes[] = {20, 22, 30};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(records[i].TotalSize(), globalSizes[i]);
    EXPECT_EQ(OfType(records, kXf).size(), 21u);
    EXPECT_EQ(OfType(records, kStyle).size(), 6u);
    const auto sheets = OfType(records, kBoundSheet);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0]->position, 20u + 22 + 30 + 504 + 48);
    EXPECT_EQ(sheets[0]->U32(0), 760u);
    const auto sst = OfType(records, kSst);
    ASSERT_EQ(sst.size(), 1u);
    EXPECT_EQ(sst[0]->TotalSize(), 114u);
    EXPECT_EQ(sst[0]->U32(0), 6u);
    EXPECT_EQ(sst[0]->U32(4), 6u);
    const BiffRecord* globalsEof = FindAt(records, 756);
    ASSERT_NE(globalsEof, nullptr);
    EXPECT_EQ(globalsEof->type, kEof);

    // The worksheet: 202 bytes from 760.
    const BiffRecord* bof = FindAt(records, 760);
    ASSERT_NE(bof, nullptr);
    EXPECT_EQ(bof->type, kBof);
    EXPECT_EQ(bof->U16(2), 0x0010);
    const auto index = OfType(records, kIndex);
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index[0]->TotalSize(), 24u);
    EXPECT_EQ(index[0]->U32(4), 0u);
    EXPECT_EQ(index[0]->U32(8), 1u);
    EXPECT_EQ(index[0]->U32(16), 926u);
    const auto dims = OfType(records, kDimensions);
    ASSERT_EQ(dims.size(), 1u);
    EXPECT_EQ(dims[0]->U32(0), 0u);
    EXPECT_EQ(dims[0]->U32(4), 1u);
    EXPECT_EQ(dims[0]->U16(8), 0);
    EXPECT_EQ(dims[0]->U16(10), 6);
    const auto labels = OfType(records, kLabelSst);
    ASSERT_EQ(labels.size(), 6u);
    for (std::uint32_t c = 0; c < 6; ++c) {
        EXPECT_EQ(labels[c]->U16(2), c);
        EXPECT_EQ(labels[c]->U32(6), c) << "entries in order of first use";
    }
    const BiffRecord* dbcell = FindAt(records, 926);
    ASSERT_NE(dbcell, nullptr);
    EXPECT_EQ(dbcell->type, kDbCell);
    EXPECT_EQ(dbcell->payload.size(), 6u);
    EXPECT_EQ(dbcell->U32(0), 104u);
    EXPECT_EQ(dbcell->U16(4), 0);
    const auto window2 = OfType(records, kWindow2);
    ASSERT_EQ(window2.size(), 1u);
    EXPECT_EQ(window2[0]->U16(0), 0x06B6);
    EXPECT_EQ(records.back().type, kEof);
    EXPECT_EQ(records.back().position, 958u);
}

TEST_F(WorkbookLayoutTest, ThirtyThreeRowsMakeTwoBlocks) {
    FillRows(33, 2);
    const auto bytes = Build(book_);
    const auto records = SplitRecords(bytes);
    ASSERT_EQ(SumOfSizes(records), bytes.size());
    const auto index = OfType(records, kIndex);
    ASSERT_EQ(index.size(), 1u);
    EXPECT_EQ(index[0]->payload.size(), 24u);
    const auto dbcells = OfType(records, kDbCell);
    ASSERT_EQ(dbcells.size(), 2u);
    EXPECT_EQ(dbcells[0]->payload.size(), 68u);
    EXPECT_EQ(dbcells[1]->payload.size(), 6u);
    const std::uint32_t firstRows[] = {0, 32};
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(index[0]->U32(16 + 4 * k), dbcells[k]->position);
        // The first field leads back to the block's first ROW record.
        const BiffRecord* row = FindAt(records, dbcells[k]->position - dbcells[k]->U32(0));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->type, kRow);
        EXPECT_EQ(row->U16(0), firstRows[k]);
    }
    const std::size_t rows = OfType(records, kRow).size();
    EXPECT_EQ(rows, 33u);
}

// Row 0's offset runs from the block's second ROW record to its first cell; each later row's
// offset is the size of the row before's cells: 7 LABELSST of 14 bytes make 98.
TEST_F(WorkbookLayoutTest, RowOffsetsOfSevenLabelRows) {
    FillRows(40, 7);
    const auto bytes = Build(book_);
    const auto records = SplitRecords(bytes);
    const auto dbcells = OfType(records, kDbCell);
    ASSERT_EQ(dbcells.size(), 2u);
    EXPECT_EQ(dbcells[0]->U16(4), 31 * 20);
    for (std::size_t row = 1; row < 32; ++row) EXPECT_EQ(dbcells[0]->U16(4 + 2 * row), 98);
    EXPECT_EQ(dbcells[1]->U16(4), 7 * 20);
    EXPECT_EQ(dbcells[1]->U16(4 + 2 * 7), 98);
    // Following the offsets from the second ROW record lands on each row's first cell.
    const auto rows = OfType(records, kRow);
    std::size_t position = rows[1]->position;
    for (std::size_t row = 0; row < 32; ++row) {
        position += dbcells[0]->U16(4 + 2 * row);
        const BiffRecord* cell = FindAt(records, position);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->U16(0), row);
        EXPECT_EQ(cell->U16(2), 0);
    }
}

TEST_F(WorkbookLayoutTest, BlanksForUndefinedCellsAndTheirSizes) {
    Sheet().Cell(0, 0)->SetString("a");
    Sheet().Cell(1, 6);                 // reached, never set
    Sheet().Cell(1, 2)->SetString("");  // an empty text is no text
    Sheet().Cell(1, 3)->SetWString(u"");
    const auto bytes = Build(book_);
    const auto records = SplitRecords(bytes);
    EXPECT_EQ(OfType(records, kLabelSst).size(), 1u);
    EXPECT_EQ(OfType(records, kBlank).size(), 13u);
    const auto sst = OfType(records, kSst);
    EXPECT_EQ(sst[0]->U32(0), 1u);
    EXPECT_EQ(sst[0]->U32(4), 1u);
    const auto dbcell = OfType(records, kDbCell)[0];
    EXPECT_EQ(dbcell->U16(4), 20);
    EXPECT_EQ(dbcell->U16(6), 14 + 6 * 10);
    const auto dims = OfType(records, kDimensions)[0];
    EXPECT_EQ(dims->U32(4), 2u);
    EXPECT_EQ(dims->U16(10), 7);
}

TEST_F(WorkbookLayoutTest, InterningSharesEntriesButKeepsNarrowAndWideApart) {
    for (std::uint32_t r = 0; r < 50; ++r) Sheet().Cell(r, 0)->SetString("ItemID");
    Sheet().Cell(0, 1)->SetWString(u"ItemID");
    Sheet().Cell(1, 1)->SetWString(u"ItemID");
    const auto bytes = Build(book_);
    const auto records = SplitRecords(bytes);
    const auto sst = OfType(records, kSst)[0];
    EXPECT_EQ(sst->U32(0), 52u);
    EXPECT_EQ(sst->U32(4), 2u);
    EXPECT_EQ(sst->U16(8), 6);
    EXPECT_EQ(sst->payload[10], 0x00);
    EXPECT_EQ(sst->U16(8 + 3 + 6), 6);
    EXPECT_EQ(sst->payload[8 + 3 + 6 + 2], 0x01);
    const auto labels = OfType(records, kLabelSst);
    ASSERT_EQ(labels.size(), 52u);
    EXPECT_EQ(labels[0]->U32(6), 0u);
    EXPECT_EQ(labels[1]->U32(6), 1u);
    EXPECT_EQ(labels[2]->U32(6), 0u);
    EXPECT_EQ(labels[3]->U32(6), 1u);
}

TEST_F(WorkbookLayoutTest, TextsLongerThanTheSstCanHoldFailTheBuild) {
    const std::string longest(65535, 'x');
    Sheet().Cell(0, 0)->SetString(longest.c_str());
    EXPECT_TRUE(book_.BuildStream().has_value());
    const std::u16string tooLong(65536, u'x');
    Sheet().Cell(0, 1)->SetWString(tooLong.c_str());
    EXPECT_FALSE(book_.BuildStream().has_value());
}

TEST_F(WorkbookLayoutTest, BookWithoutNewHasOnlyGlobals) {
    XlsBook empty;
    EXPECT_EQ(empty.GetSheet(0), nullptr);
    const auto bytes = Build(empty);
    const auto records = SplitRecords(bytes);
    ASSERT_EQ(records.size(), 4u);  // BOF, WINDOW1, SST, EOF
    EXPECT_EQ(records[2].type, kSst);
    EXPECT_EQ(records[2].payload.size(), 8u);
}

TEST_F(WorkbookLayoutTest, FullHeightGrid) {
    ASSERT_NE(Sheet().Cell(65535, 1), nullptr);
    const auto bytes = Build(book_);
    const auto records = SplitRecords(bytes);
    ASSERT_EQ(SumOfSizes(records), bytes.size());
    const auto index = OfType(records, kIndex)[0];
    EXPECT_EQ(index->payload.size(), 16u + 4 * 2048);
    EXPECT_EQ(index->U32(8), 65536u);
    const auto dbcells = OfType(records, kDbCell);
    ASSERT_EQ(dbcells.size(), 2048u);
    EXPECT_EQ(index->U32(16 + 4 * 2047), dbcells.back()->position);
    EXPECT_EQ(OfType(records, kRow).back()->U16(0), 65535);
    EXPECT_EQ(OfType(records, kBlank).size(), 2u * 65536);
    // Globals 646 without SST entries (SST 12), then per block 32 ROW, 64 BLANK, DBCELL 72.
    EXPECT_EQ(bytes.size(), 646u + 12 + 20 + (16 + 4 + 4 * 2048) + 18 +
                                2048u * (32 * 20 + 64 * 10 + 72) + 22 + 4);
}

}  // namespace
