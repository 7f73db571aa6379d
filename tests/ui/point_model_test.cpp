#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <memory>

#include "history/scan_comparison.h"
#include "tests/ui/point_ids.h"
#include "texts/text_table.h"
#include "ui/cell_text.h"
#include "ui/point_table_model.h"
#include "ui/server_history.h"

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

TEST_F(PointModel, NineColumnsPathThenChangeWhoseHeaderFollowsTheLanguage) {
    EXPECT_EQ(model.columnCount(), 9);
    const char* headers[] = {"ID",      "Address", "Name",     "Value",
                             "Quality", "Time",    "DataType", "Path"};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromLatin1(headers[c]));
    }
    EXPECT_EQ(model.headerData(kChangeColumn, Qt::Horizontal).toString(),
              QString::fromUtf8("变化"));
    int told = 0;
    QObject::connect(&model, &QAbstractItemModel::headerDataChanged,
                     [&](Qt::Orientation, int first, int last) {
                         told += first == kChangeColumn && last == kChangeColumn;
                     });
    language = 1;
    model.RetellTexts();
    EXPECT_EQ(model.headerData(kChangeColumn, Qt::Horizontal).toString(), QStringLiteral("Change"));
    EXPECT_EQ(told, 1);
    language = 0;
    EXPECT_FALSE(model.headerData(9, Qt::Horizontal, Qt::DisplayRole).isValid());
}

TEST_F(PointModel, ChangeCellsTellEachRowsKindsInBothLanguages) {
    model.AppendRows(Points(1, 6));
    // Before any comparison, and for a scan held against nothing, the column is empty.
    for (int r = 0; r < 6; ++r) EXPECT_EQ(Cell(r, kChangeColumn), QString()) << r;
    EXPECT_FALSE(model.Compared());

    QList<int> columns;
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& a, const QModelIndex& b) {
                         columns << a.column() << b.column() << b.row();
                     });
    const std::vector<std::uint16_t> kinds = {kChangeAdded,
                                              kChangeDataType | kChangeAccess,
                                              kChangeRenamed,
                                              0,
                                              kChangeMoved | kChangeArrayScalar | kChangeRenumbered,
                                              0};
    model.SetChanges(rows.View(), kinds);
    EXPECT_TRUE(model.Compared());
    EXPECT_EQ(columns, (QList<int>{kChangeColumn, kChangeColumn, 5}));

    struct Case {
        int row;
        const char* chinese;
        const char* english;
    };
    const Case cases[] = {
        {0, "新增", "added"},
        {1, "变化: 数据类型, 访问权限", "changed: data type, access"},
        {2, "变化: 改名", "changed: renamed"},
        {3, "", ""},
        {4, "变化: 移动, 数组/标量, 重新编号", "changed: moved, array/scalar, renumbered"},
        {5, "", ""},
    };
    for (const Case& c : cases) {
        language = 0;
        EXPECT_EQ(Cell(c.row, kChangeColumn), QString::fromUtf8(c.chinese)) << c.row;
        language = 1;
        EXPECT_EQ(Cell(c.row, kChangeColumn), QString::fromUtf8(c.english)) << c.row;
    }
    language = 0;
    EXPECT_EQ(model.ChangeKinds(1), kChangeDataType | kChangeAccess);
    EXPECT_EQ(model.ChangeKinds(6), 0);
    EXPECT_EQ(model.ChangeKinds(-1), 0);
}

TEST_F(PointModel, ChangesFollowDeletedRowsAndGoWithTheNextScan) {
    model.AppendRows(Points(1, 6));
    StopModelTester();
    // Copied for the history, then rows deleted before the comparison came back.
    const std::vector<const OPCUAItemData*> scanned(rows.View().begin(), rows.View().end());
    model.DeleteRows(1, 1);  // ns=2;i=2
    model.DeleteRows(2, 2);  // ns=2;i=4 and ns=2;i=5
    model.SetChanges(scanned,
                     std::vector<std::uint16_t>{kChangeAdded, kChangeRenamed, 0, kChangeMoved,
                                                kChangeAccess, kChangeDataType});
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.ChangeKinds(0), kChangeAdded);     // ns=2;i=1
    EXPECT_EQ(model.ChangeKinds(1), 0);                // ns=2;i=3
    EXPECT_EQ(model.ChangeKinds(2), kChangeDataType);  // ns=2;i=6
    EXPECT_EQ(Cell(2, kAddressColumn), QStringLiteral("ns=2;i=6"));

    model.DeleteRows(0, 1);
    EXPECT_EQ(model.ChangeKinds(1), kChangeDataType);
    model.AppendRows(Points(7, 7));  // arrived after the comparison: nothing known of it
    EXPECT_EQ(model.ChangeKinds(2), 0);
    EXPECT_TRUE(model.Compared());

    model.DeleteAll();
    model.AppendRows(Points(2, 4));
    EXPECT_FALSE(model.Compared());
    for (int r = 0; r < 3; ++r) EXPECT_EQ(model.ChangeKinds(r), 0) << r;
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

// Widths saved by an earlier version with fewer columns: those columns keep theirs, and the
// columns added since get an average width, not the whole settings thrown away.
TEST(SavedColumnWidths, FewerColumnsFromAnEarlierVersionStillRestore) {
    struct Case {
        const char* saved;
        std::vector<int> expected;  // empty: nothing restored
    };
    const Case cases[] = {
        {"40,100,120,80,60,90,70,110", {40, 100, 120, 80, 60, 90, 70, 110, 90}},
        {"40,100,120,80,60,90,70", {40, 100, 120, 80, 60, 90, 70, 86, 86}},
        {"40,100,120,80,60,90,70,110,130", {40, 100, 120, 80, 60, 90, 70, 110, 130}},
        {"40,100,120,80,60,90,70,110,130,77", {40, 100, 120, 80, 60, 90, 70, 110, 130}},
        {"40,100,120,80,60,90", {}},  // fewer than any version had
        {"40,x,120", {}},
        {"40,-5,120", {}},
    };
    const QString path = QDir::temp().filePath(
        QStringLiteral("quorvane-widths-%1.conf").arg(QCoreApplication::applicationPid()));
    for (const Case& c : cases) {
        QFile::remove(path);
        {
            QSettings s(path, QSettings::IniFormat);
            s.setValue(QStringLiteral("window/columns"),
                       QString::fromLatin1(c.saved).split(QLatin1Char(',')));
        }
        const auto widths = ServerHistory(path).Window().columnWidths;
        if (c.expected.empty()) {
            EXPECT_FALSE(widths) << c.saved;
            continue;
        }
        ASSERT_TRUE(widths) << c.saved;
        EXPECT_EQ(std::vector<int>(widths->begin(), widths->end()), c.expected) << c.saved;
    }
    QFile::remove(path);
}

}  // namespace
