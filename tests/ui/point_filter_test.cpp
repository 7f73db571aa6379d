// The plain rules behind the filter box and the column sort.
#include "ui/point_filter.h"

#include <gtest/gtest.h>

#include <memory>

#include "history/scan_comparison.h"
#include "tests/ui/point_ids.h"
#include "ui/cell_text.h"
#include "ui/point_filter_model.h"
#include "ui/point_table_model.h"

namespace {

std::unique_ptr<OPCUAItemData> Record(const char* name, const char* value, const char* type,
                                      std::uint16_t typeIndex, UA_UInt32 id = 7) {
    auto r = std::make_unique<OPCUAItemData>(NumericId(2, id), value, type, name, "", "");
    r->typeIndex = typeIndex;
    return r;
}

TEST(FilterWords, SplitAtWhiteSpaceAndFolded) {
    EXPECT_EQ(FilterWords("  Pump\tSPEED  "), (std::vector<std::string>{"pump", "speed"}));
    EXPECT_TRUE(FilterWords(" \t ").empty());
    EXPECT_EQ(FilterWords("ÄRGER 泵"), (std::vector<std::string>{"ärger", "泵"}));
}

TEST(MatchesFilter, EachWordSomewhereNeverAcrossTwoParts) {
    const auto r = Record("Pump Speed", "1450", "Int32", 5);
    const std::string key = FixedFilterKey(*r);
    std::string scratch;
    struct Case {
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"", true},
        {"pump", true},
        {"ns=2;i=7", true},
        {"INT32 145", true},
        {"speed pump", true},
        {"pump valve", false},
        {"speed1450", false},  // no word spans two
                               // parts
        {"i=7pump", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesFilter(FilterWords(c.text), key, *r, scratch), c.matches) << c.text;
    }
    const auto chinese = Record("泵速 Ä", "", "", 11);
    EXPECT_TRUE(MatchesFilter(FilterWords("泵 ä"), FixedFilterKey(*chinese), *chinese, scratch));
}

TEST(SortKeys, NumbersAndInstantsByValue) {
    EXPECT_EQ(NumberOf("-3"), -3.0);
    EXPECT_EQ(NumberOf("3.142"), 3.142);
    EXPECT_FALSE(NumberOf("12 kg"));
    EXPECT_FALSE(NumberOf(""));
    // Day first and year first give the same order.
    EXPECT_LT(*InstantOf("5-8-2024 6:3:9.007"), *InstantOf("5-8-2024 6:3:10.000"));
    EXPECT_LT(*InstantOf("31-12-2023 23:59:59.999"), *InstantOf("1-1-2024 0:0:0.000"));
    EXPECT_LT(*InstantOf("2024-08-05 14:03:09"), *InstantOf("2024-08-05 14:10:00"));
    EXPECT_EQ(*InstantOf("5-8-2024 6:3:9.000"), *InstantOf("2024-08-05 06:03:09"));
    EXPECT_FALSE(InstantOf("no time"));

    const auto small = Record("a", "9", "Int32", 5);
    const auto large = Record("b", "10", "Int32", 5);
    const auto text = Record("c", "1 kg", "String", 11);
    const auto compare = [](const OPCUAItemData& a, const OPCUAItemData& b, int column) {
        return CompareInColumn(a, SortKeyOf(a, column), b, SortKeyOf(b, column), column);
    };
    EXPECT_LT(compare(*small, *large, 3), 0);  // 9 before 10, not as texts
    EXPECT_LT(compare(*large, *text, 3), 0);   // numbers before texts
    EXPECT_GT(compare(*large, *small, 2), 0);  // names as texts
    const auto id9 = Record("", "", "", 5, 9);
    const auto id10 = Record("", "", "", 5, 10);
    EXPECT_LT(compare(*id9, *id10, 1), 0);  // numeric identifiers by number
}

}  // namespace

namespace {

TEST(ChangeTerms, SplitFromTheWordsAndMatchedAgainstTheKinds) {
    const FilterTerms terms = SplitFilterTerms(FilterWords("Pump CHANGE:Added 变化：改名 change"));
    EXPECT_EQ(terms.words, (std::vector<std::string>{"pump", "change"}));
    EXPECT_EQ(terms.changes, (std::vector<std::string>{"change:added", "变化：改名"}));

    struct Case {
        const char* text;
        std::uint16_t kinds;
        bool matches;
    };
    const std::uint16_t typeAndAccess = kChangeDataType | kChangeAccess;
    const Case cases[] = {
        {"change:added", kChangeAdded, true},
        {"Change:ADDED", kChangeAdded, true},
        {"变化:新增", kChangeAdded, true},
        {"变化：新增", kChangeAdded, true},
        {"change:新增", kChangeAdded, true},
        {"change:added", kChangeRenamed, false},
        {"change:added", 0, false},  // unchanged, or a scan held against nothing
        {"change:changed", kChangeRenamed, true},
        {"change:changed", kChangeAdded, false},
        {"变化:变化", kChangeMoved, true},
        {"change:type", typeAndAccess, true},
        {"change:access", typeAndAccess, true},
        {"变化:数据类型", typeAndAccess, true},
        {"change:type change:access", typeAndAccess, true},
        {"change:type change:moved", typeAndAccess, false},
        {"change:moved", kChangeMoved, true},
        {"change:array", kChangeArrayScalar, true},
        {"change:renamed", kChangeRenamed, true},
        {"变化:改名", kChangeRenamed, true},
        {"change:renumbered", kChangeRenumbered, true},
        {"change:removed", kChangeAdded | typeAndAccess, false},  // a removed point is no row
        {"change:nonsense", kAllChangeKinds, false},
    };
    for (const Case& c : cases) {
        const FilterTerms split = SplitFilterTerms(FilterWords(c.text));
        EXPECT_TRUE(split.words.empty()) << c.text;
        EXPECT_EQ(MatchesChangeTerms(split.changes, c.kinds), c.matches) << c.text;
    }
    EXPECT_TRUE(MatchesChangeTerms({}, 0));  // no change term: every row
}

TEST(ChangeTerms, ChangedRowsSortBeforeTheRestByKind) {
    EXPECT_EQ(ChangeSortKey(0).rank, SortKey{}.rank);
    EXPECT_LT(ChangeSortKey(kChangeAdded).rank, ChangeSortKey(0).rank);
    EXPECT_LT(ChangeSortKey(kChangeAdded).number, ChangeSortKey(kChangeRenamed).number);
}

class ChangeFilter : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<OPCUAItemData*> batch;
        for (UA_UInt32 id = 1; id <= 6; ++id) {
            batch.push_back(new OPCUAItemData(NumericId(2, id), "0", "Int32",
                                              id % 2 ? "Pump" : "Valve", "", "GOOD"));
        }
        table.AppendRows(batch);
    }
    void TearDown() override { table.DeleteAll(); }

    std::vector<std::string> Shown() const {
        std::vector<std::string> ids;
        for (int r = 0; r < shown.rowCount(); ++r)
            ids.push_back(NodeIdText(shown.Record(r)->nodeId));
        return ids;
    }
    static std::string NodeIdText(const UA_NodeId& id) {
        return "i=" + std::to_string(id.identifier.numeric);
    }
    void Compare() {
        table.SetChanges(rows.View(),
                         std::vector<std::uint16_t>{kChangeAdded, kChangeRenamed, kChangeDataType,
                                                    0, 0, kChangeAdded});
    }

    PointRows rows;
    PointTableModel table{rows, nullptr};
    PointFilterModel shown{&table, nullptr};
};

TEST_F(ChangeFilter, TermsCombineWithWordsAndFollowTheComparison) {
    // Typed before the comparison came: nothing has changed yet.
    shown.SetFilterText("change:added");
    EXPECT_TRUE(Shown().empty());
    Compare();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"i=1", "i=6"}));

    struct Case {
        const char* text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"change:added pump", {"i=1"}},  {"change:changed", {"i=2", "i=3"}},
        {"变化:改名 valve", {"i=2"}},    {"change:removed", {}},
        {"pump", {"i=1", "i=3", "i=5"}}, {"", {"i=1", "i=2", "i=3", "i=4", "i=5", "i=6"}},
    };
    for (const Case& c : cases) {
        shown.SetFilterText(c.text);
        EXPECT_EQ(Shown(), c.rows) << c.text;
    }

    // Sorted by the Change column: the changed rows first, in the order of the kinds (added,
    // data type, ..., renamed), the rest after them in scan order.
    shown.SetSort(kChangeColumn, PointFilterModel::Order::Ascending);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"i=1", "i=6", "i=3", "i=2", "i=4", "i=5"}));

    // The next scan's rows are held against nothing until their comparison comes.
    shown.SetFilterText("change:added");
    table.DeleteAll();
    table.AppendRows({new OPCUAItemData(NumericId(2, 1), "0", "Int32", "Pump", "", "GOOD")});
    EXPECT_TRUE(Shown().empty());
}

}  // namespace
