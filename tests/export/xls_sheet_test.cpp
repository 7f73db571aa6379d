#include "export/xls/xls_sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(XlsSheetTest, NewSheetIsOneUndefinedCell) {
    XlsSheet sheet(0);
    EXPECT_EQ(sheet.RowCount(), 1u);
    EXPECT_EQ(sheet.ColumnCount(), 1u);
    EXPECT_EQ(sheet.At(0, 0).Kind(), CellKind::Undefined);
}

TEST(XlsSheetTest, CellGrowsTheGridRectangularly) {
    XlsSheet sheet(0);
    sheet.Cell(0, 0)->SetString("keep");
    const std::u16string longText(40, u'\u6CF5');  // kept in the sheet's text store
    sheet.Cell(0, 1)->SetWString(longText.c_str());
    ASSERT_NE(sheet.Cell(2, 3), nullptr);
    EXPECT_EQ(sheet.RowCount(), 3u);
    EXPECT_EQ(sheet.ColumnCount(), 4u);
    ASSERT_NE(sheet.Cell(0, 5), nullptr);  // widens every existing row
    EXPECT_EQ(sheet.ColumnCount(), 6u);
    EXPECT_EQ(sheet.At(2, 5).Kind(), CellKind::Undefined);
    EXPECT_EQ(sheet.At(0, 0).Text(), "keep");
    EXPECT_EQ(sheet.At(0, 1).WText(), longText) << "moved with the grid";
    ASSERT_NE(sheet.Cell(1, 1), nullptr);  // inside: no growth
    EXPECT_EQ(sheet.RowCount(), 3u);
    EXPECT_EQ(sheet.ColumnCount(), 6u);
}

TEST(XlsSheetTest, RowsStopAt65535) {
    XlsSheet sheet(0);
    XlsCell* last = sheet.Cell(65535, 0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(sheet.RowCount(), 65536u);
    last->SetString("last");
    EXPECT_EQ(sheet.Cell(65536, 0), nullptr);
    EXPECT_EQ(sheet.Cell(65536, 9), nullptr) << "a refused row does not widen the grid";
    EXPECT_EQ(sheet.RowCount(), 65536u);
    EXPECT_EQ(sheet.ColumnCount(), 1u);
    EXPECT_EQ(sheet.At(65535, 0).Text(), "last");
}

// Texts of every size, set, replaced and moved around by growth many times over.
TEST(XlsSheetTest, TextsSurviveGrowthAndReplacement) {
    XlsSheet sheet(0);
    auto text = [](std::size_t row, std::size_t column) {
        return std::string((row * 7 + column * 13) % 200 + (row == 5 ? 70000 : 0),
                           static_cast<char>('a' + (row + column) % 26));
    };
    for (std::uint32_t row = 0; row < 300; ++row) {
        for (std::uint32_t column = 0; column <= row % 9; ++column) {
            sheet.Cell(row, column)->SetString("placeholder that is replaced");
            sheet.Cell(row, column)->SetString(text(row, column).c_str());
        }
    }
    for (std::size_t row = 0; row < 300; ++row) {
        for (std::size_t column = 0; column < sheet.ColumnCount(); ++column) {
            const std::string expected = column <= row % 9 ? text(row, column) : "";
            ASSERT_EQ(sheet.At(row, column).Text(), expected) << row << ", " << column;
        }
    }
}

// A cell taken out of a sheet owns its text: it outlives the sheet.
TEST(XlsSheetTest, CellsCopiedOrMovedOutKeepTheirText) {
    const std::string longText(100, 'x');
    XlsCell copied;
    XlsCell moved;
    {
        XlsSheet sheet(0);
        sheet.Cell(0, 0)->SetString(longText.c_str());
        sheet.Cell(0, 1)->SetWString(u"a text longer than eight units");
        copied = sheet.At(0, 0);
        moved = std::move(*sheet.Cell(0, 1));
        EXPECT_EQ(sheet.At(0, 1).Kind(), CellKind::Undefined);
        *sheet.Cell(0, 2) = copied;  // and back into a sheet
        EXPECT_EQ(sheet.At(0, 2).Text(), longText);
    }
    EXPECT_EQ(copied.Text(), longText);
    EXPECT_EQ(moved.WText(), u"a text longer than eight units");
}

// With room reserved for only a few rows, the grid moves its cells on almost every growth.
TEST(CellGridTest, CellsAndTextsSurviveEveryMove) {
    CellTextStore texts;
    CellGrid grid(1, 1, 1000, texts, 4 * 3 * sizeof(XlsCell));
    auto text = [](std::size_t row, std::size_t column) {
        return std::u16string(5 + (row + column) % 30, static_cast<char16_t>(u'A' + row % 26));
    };
    for (std::size_t row = 0; row < 500; ++row) {
        const std::size_t columns = 1 + row / 100;  // a new column count now and then
        grid.GrowTo(row + 1, columns);
        for (std::size_t column = 0; column < columns; ++column) {
            grid.At(row, column).SetWString(text(row, column).c_str());
        }
    }
    grid.GrowTo(2000, 1);  // beyond the limit: stops there
    EXPECT_EQ(grid.Rows(), 1000u);
    EXPECT_EQ(grid.Columns(), 5u);
    for (std::size_t row = 0; row < 500; ++row) {
        for (std::size_t column = 0; column < 5; ++column) {
            const std::u16string expected = column <= row / 100 ? text(row, column) : u"";
            ASSERT_EQ(grid.At(row, column).WText(), expected) << row << ", " << column;
        }
    }
    EXPECT_EQ(grid.At(999, 4).Kind(), CellKind::Undefined);
}

TEST(XlsCellTest, SettersChooseTheKindAndClearTheOtherText) {
    XlsCell cell;
    cell.SetString("abc");
    EXPECT_EQ(cell.Kind(), CellKind::String);
    EXPECT_EQ(cell.Text(), "abc");
    EXPECT_EQ(cell.WText(), u"");
    cell.SetWString(u"xyz");
    EXPECT_EQ(cell.Kind(), CellKind::WString);
    EXPECT_EQ(cell.WText(), u"xyz");
    EXPECT_EQ(cell.Text(), "");
    cell.SetString("");
    EXPECT_EQ(cell.Kind(), CellKind::Undefined);
    EXPECT_EQ(cell.WText(), u"");
    cell.SetWString(u"w");
    cell.SetWString(u"");
    EXPECT_EQ(cell.Kind(), CellKind::Undefined);
    cell.SetString(nullptr);
    EXPECT_EQ(cell.Kind(), CellKind::Undefined);
}

TEST(XlsCellTest, BytesAreKeptAsGiven) {
    XlsCell cell;
    cell.SetString("\xB1\xC3\xFF");  // not converted from any code page
    EXPECT_EQ(cell.Text(), "\xB1\xC3\xFF");
    cell.SetString("cut\0after");  // NUL-terminated
    EXPECT_EQ(cell.Text(), "cut");
}

// Texts up to 16 bytes are kept in the cell, longer ones outside; both must read back the same
// and survive copies and moves.
TEST(XlsCellTest, ShortAndLongTextsSurviveCopyAndMove) {
    const std::string narrow[] = {"a", std::string(16, 'b'), std::string(17, 'c'),
                                  std::string(600, 'd')};
    const std::u16string wide[] = {u"\u6CF5", std::u16string(8, u'e'), std::u16string(9, u'f'),
                                   std::u16string(300, u'g')};
    for (const auto& text : narrow) {
        XlsCell cell;
        cell.SetXfIndex(3);
        cell.SetString(text.c_str());
        XlsCell copy(cell);
        XlsCell moved(std::move(cell));
        EXPECT_EQ(copy.Text(), text);
        EXPECT_EQ(moved.Text(), text);
        EXPECT_EQ(moved.XfIndex(), 3);
        EXPECT_EQ(cell.Kind(), CellKind::Undefined);  // NOLINT(bugprone-use-after-move)
        copy = moved;
        EXPECT_EQ(copy.Text(), text);
    }
    for (const auto& text : wide) {
        XlsCell cell;
        cell.SetWString(text.c_str());
        XlsCell other;
        other.SetString(std::string(40, 'z').c_str());
        other = cell;
        EXPECT_EQ(other.WText(), text);
        XlsCell moved;
        moved = std::move(other);
        EXPECT_EQ(moved.WText(), text);
    }
}

}  // namespace
