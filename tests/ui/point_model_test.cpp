#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <memory>

#include "tests/ui/point_ids.h"
#include "ui/point_table_model.h"

namespace {

OPCUAItemData* Point(UA_UInt32 id) {
    return new OPCUAItemData(NumericId(2, id), "v" + std::to_string(id), "Int32",
                             "P" + std::to_string(id), "", "GOOD");
}

std::vector<OPCUAItemData*> Points(UA_UInt32 from, UA_UInt32 to) {
    std::vector<OPCUAItemData*> v;
    for (UA_UInt32 i = from; i <= to; ++i) v.push_back(Point(i));
    return v;
}

class PointModel : public ::testing::Test {
protected:
    ~PointModel() override { model.DeleteAll(); }

    QString Cell(int row, int column) const {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    }

    // The tester assumes a removal leaves the data of later rows alone; the ID column renumbers
    // them, so tests that delete drop it first.
    void StopModelTester() { tester.reset(); }

    PointRows rows;
    PointTableModel model{rows, nullptr};
    std::unique_ptr<QAbstractItemModelTester> tester = std::make_unique<QAbstractItemModelTester>(
        &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
};

TEST_F(PointModel, EightColumnsWithFixedHeadersPathLast) {
    EXPECT_EQ(model.columnCount(), 8);
    const char* headers[] = {"ID",      "Address", "Name",     "Value",
                             "Quality", "Time",    "DataType", "Path"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromLatin1(headers[c]));
    }
    EXPECT_FALSE(model.headerData(8, Qt::Horizontal, Qt::DisplayRole).isValid());
}

TEST_F(PointModel, AppendedBatchesArriveAsRowInsertions) {
    int inserted = 0;
    int lastFirst = -1;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) {
                         inserted += last - first + 1;
                         lastFirst = first;
                     });
    model.AppendRows(Points(1, 3));
    model.AppendRows({});
    model.AppendRows(Points(4, 10));
    EXPECT_EQ(inserted, 10);
    EXPECT_EQ(lastFirst, 3);  // only the new rows are announced
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(Cell(9, 0), QStringLiteral("10"));
    EXPECT_EQ(Cell(9, 1), QStringLiteral("ns=2;i=10"));
    EXPECT_EQ(Cell(9, 2), QStringLiteral("P10"));
}

TEST_F(PointModel, CellsAreCentredAndOutOfRangeGivesNothing) {
    model.AppendRows(Points(1, 2));
    EXPECT_EQ(model.data(model.index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::Alignment(Qt::AlignCenter));
    EXPECT_FALSE(model.index(2, 0).isValid());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.Record(2), nullptr);
    EXPECT_EQ(model.Record(-1), nullptr);
}

TEST_F(PointModel, DeletingRenumbersTheRowsAfter) {
    model.AppendRows(Points(1, 5));
    StopModelTester();
    model.DeleteRows(0, 1);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(Cell(0, 1), QStringLiteral("ns=2;i=2"));
    model.DeleteRows(1, 2);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("ns=2;i=5"));
    model.DeleteRows(1, 99);  // cut to what exists
    EXPECT_EQ(model.rowCount(), 1);
    model.DeleteRows(5, 1);  // nothing there
    EXPECT_EQ(model.rowCount(), 1);
}

TEST_F(PointModel, DeleteAllEmptiesTheRows) {
    model.AppendRows(Points(1, 50));
    model.DeleteAll();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(rows.Empty());
}

}  // namespace
