// The rules by which two scans of one server differ, as a table of small cases.
#include "history/scan_comparison.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "history/change_texts.h"
#include "history/since_last_scan.h"

namespace {

StoredPoint P(std::string nodeId, std::string path, std::string name, std::string type = "Int32",
              int rank = -1, int access = 1) {
    return {std::move(nodeId), std::move(path), std::move(name), std::move(type), rank, access};
}

// One change as the case expects it: the kinds and the NodeIds on each side ("" for none).
struct Expected {
    std::uint16_t kinds;
    std::string before;
    std::string after;
};

struct Case {
    const char* name;
    std::vector<StoredPoint> before;
    std::vector<StoredPoint> after;
    std::vector<Expected> changes;
};

const StoredPoint kA = P("ns=2;i=1", "Plant/Line1", "Speed");
const StoredPoint kB = P("ns=2;i=2", "Plant/Line1", "Level", "Double");

std::vector<Case> Cases() {
    return {
        {"same scan twice", {kA, kB}, {kA, kB}, {}},
        {"order does not matter", {kA, kB}, {kB, kA}, {}},
        {"added", {kA}, {kA, kB}, {{kChangeAdded, "", "ns=2;i=2"}}},
        {"removed", {kA, kB}, {kB}, {{kChangeRemoved, "ns=2;i=1", ""}}},
        {"data type",
         {kA},
         {P("ns=2;i=1", "Plant/Line1", "Speed", "Double")},
         {{kChangeDataType, "ns=2;i=1", "ns=2;i=1"}}},
        {"read becomes read/write",
         {kA},
         {P("ns=2;i=1", "Plant/Line1", "Speed", "Int32", -1, 3)},
         {{kChangeAccess, "ns=2;i=1", "ns=2;i=1"}}},
        {"moved",
         {kA},
         {P("ns=2;i=1", "Plant/Line2", "Speed")},
         {{kChangeMoved, "ns=2;i=1", "ns=2;i=1"}}},
        {"scalar becomes array",
         {kA},
         {P("ns=2;i=1", "Plant/Line1", "Speed", "Int32", 0)},
         {{kChangeArrayScalar, "ns=2;i=1", "ns=2;i=1"}}},
        {"renamed",
         {kA},
         {P("ns=2;i=1", "Plant/Line1", "Velocity")},
         {{kChangeRenamed, "ns=2;i=1", "ns=2;i=1"}}},
        {"several at once",
         {kA},
         {P("ns=2;i=1", "Plant/Line2", "Speed", "Double", -1, 3)},
         {{kChangeDataType | kChangeAccess | kChangeMoved, "ns=2;i=1", "ns=2;i=1"}}},
        {"renumbered",
         {kA, kB},
         {P("ns=2;i=77", "Plant/Line1", "Speed"), kB},
         {{kChangeRenumbered, "ns=2;i=1", "ns=2;i=77"}}},
        {"renumbered with its access changed",
         {kA},
         {P("ns=2;i=77", "Plant/Line1", "Speed", "Int32", -1, 3)},
         {{kChangeRenumbered | kChangeAccess, "ns=2;i=1", "ns=2;i=77"}}},
        {"a new number with another type is another point",
         {kA},
         {P("ns=2;i=77", "Plant/Line1", "Speed", "Double")},
         {{kChangeAdded, "", "ns=2;i=77"}, {kChangeRemoved, "ns=2;i=1", ""}}},
        {"a new number elsewhere is another point",
         {kA},
         {P("ns=2;i=77", "Plant/Line9", "Speed")},
         {{kChangeAdded, "", "ns=2;i=77"}, {kChangeRemoved, "ns=2;i=1", ""}}},
        {"two candidates: no guess",
         {kA, P("ns=2;i=5", "Plant/Line1", "Speed")},
         {P("ns=2;i=77", "Plant/Line1", "Speed")},
         {{kChangeAdded, "", "ns=2;i=77"},
          {kChangeRemoved, "ns=2;i=1", ""},
          {kChangeRemoved, "ns=2;i=5", ""}}},
        {"two new ones for one old: no guess",
         {kA},
         {P("ns=2;i=77", "Plant/Line1", "Speed"), P("ns=2;i=78", "Plant/Line1", "Speed")},
         {{kChangeAdded, "", "ns=2;i=77"},
          {kChangeAdded, "", "ns=2;i=78"},
          {kChangeRemoved, "ns=2;i=1", ""}}},
        {"string ids are never renumbered",
         {P("ns=2;s=Speed", "Plant", "Speed")},
         {P("ns=2;s=Speed2", "Plant", "Speed")},
         {{kChangeAdded, "", "ns=2;s=Speed2"}, {kChangeRemoved, "ns=2;s=Speed", ""}}},
        {"a string id that looks numeric inside",
         {P("ns=2;s=a;i=1", "Plant", "X")},
         {P("ns=2;s=a;i=2", "Plant", "X")},
         {{kChangeAdded, "", "ns=2;s=a;i=2"}, {kChangeRemoved, "ns=2;s=a;i=1", ""}}},
        {"a namespace-0 numeric id is renumbered too",
         {P("i=2255", "Srv", "Names")},
         {P("i=2256", "Srv", "Names")},
         {{kChangeRenumbered, "i=2255", "i=2256"}}},
        {"an unchanged id is not taken for a renumbered one",
         {kA, P("ns=2;i=9", "Plant/Line1", "Speed")},
         {kA, P("ns=2;i=10", "Plant/Line1", "Speed")},
         {{kChangeRenumbered, "ns=2;i=9", "ns=2;i=10"}}},
        {"everything gone",
         {kA, kB},
         {},
         {{kChangeRemoved, "ns=2;i=1", ""}, {kChangeRemoved, "ns=2;i=2", ""}}},
        {"first scan against nothing", {}, {kA}, {{kChangeAdded, "", "ns=2;i=1"}}},
    };
}

TEST(ScanComparison, Rules) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const ScanComparison result = CompareScans(c.before, c.after);
        ASSERT_EQ(result.changes.size(), c.changes.size());
        std::size_t added = 0, removed = 0, changed = 0;
        for (std::size_t i = 0; i < c.changes.size(); ++i) {
            const PointChange& got = result.changes[i];
            const Expected& want = c.changes[i];
            EXPECT_EQ(got.kinds, want.kinds) << i;
            EXPECT_EQ(got.before < 0 ? "" : c.before[static_cast<std::size_t>(got.before)].nodeId,
                      want.before);
            EXPECT_EQ(got.after < 0 ? "" : c.after[static_cast<std::size_t>(got.after)].nodeId,
                      want.after);
            if (want.kinds == kChangeAdded)
                ++added;
            else if (want.kinds == kChangeRemoved)
                ++removed;
            else
                ++changed;
        }
        EXPECT_EQ(result.added, added);
        EXPECT_EQ(result.removed, removed);
        EXPECT_EQ(result.changed, changed);
    }
}

TEST(ChangeTexts, SummaryAndRowInBothLanguages) {
    ScanComparison comparison;
    comparison.added = 12;
    comparison.removed = 3;
    comparison.changed = 5;
    const std::int64_t at = 1'796'000'000'000;  // some time in 2026
    const std::string when = LocalTimeText(at);
    ASSERT_EQ(when.size(), 16u);
    language = 0;
    EXPECT_EQ(SinceLastScanText(at, comparison), "比上次 (" + when + "): 新增 12，删除 3，变化 5");
    EXPECT_EQ(RowChangeText(kChangeAdded), "新增");
    EXPECT_EQ(RowChangeText(kChangeDataType | kChangeAccess), "变化: 数据类型, 访问权限");
    language = 1;
    EXPECT_EQ(SinceLastScanText(at, comparison),
              "since last scan (" + when + "): 12 added, 3 removed, 5 changed");
    EXPECT_EQ(RowChangeText(kChangeRemoved), "removed");
    EXPECT_EQ(RowChangeText(kChangeRenumbered | kChangeRenamed), "changed: renamed, renumbered");
    EXPECT_EQ(RowChangeText(0), "");
    language = 0;
}

TEST(ChangeTexts, KeywordsNameEachKindOnce) {
    for (ChangeKind kind : EachChangeKind(kAllChangeKinds)) {
        EXPECT_EQ(ParseChangeKeyword(ChangeKeyword(kind)), kind);
        EXPECT_EQ(ParseChangeKeyword(Text(TextKey::ChangeAdded, 0)), kChangeAdded);
    }
    EXPECT_EQ(EachChangeKind(kAllChangeKinds).size(), 8u);
    EXPECT_FALSE(ParseChangeKeyword("changed"));
}

}  // namespace

namespace {

TEST(ChangeTerms, FilterWordsMatchTheirKinds) {
    struct Case {
        const char* term;
        std::uint16_t kinds;
        bool matches;
    };
    const Case cases[] = {
        {"change:added", kChangeAdded, true},
        {"change:added", kChangeRemoved, false},
        {"change:type", kChangeDataType | kChangeAccess, true},
        {"change:access", kChangeDataType | kChangeAccess, true},
        {"change:renumbered", kChangeRenumbered, true},
        {"change:changed", kChangeMoved, true},
        {"change:changed", kChangeAdded, false},
        {"change:新增", kChangeAdded, true},
        {"change:moved", 0, false},
        {"change:", kChangeAdded, false},
        {"added", kChangeAdded, false},
        {"change:nonsense", kAllChangeKinds, false},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesChangeTerm(c.term, c.kinds), c.matches) << c.term;
}

}  // namespace

namespace {

TEST(SinceLastScan, ComparesWithTheLastCompleteScanOnly) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("quorvane-since-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    auto opened = InventoryStore::Open(dir / "inventory.sqlite");
    ASSERT_TRUE(opened.store);
    InventoryStore& store = *opened.store;
    const std::string url = "opc.tcp://plc:4840";
    const std::vector<StoredPoint> first = {kA, kB};
    EXPECT_FALSE(CompareWithLastScan(store, url, first)) << "a first scan";
    const long long base = *store.RecordScan({url, "", "", "", ""}, {100, 200, true, 1, ""}, first);
    // Cut short: never the base, even when later.
    store.RecordScan({url, "", "", "", ""}, {300, 400, false, 1, ""}, std::vector<StoredPoint>{kA});
    const std::vector<StoredPoint> now = {P("ns=2;i=1", "Plant/Line1", "Speed", "Double"),
                                          P("ns=2;i=3", "Plant", "New")};
    const auto since = CompareWithLastScan(store, url, now);
    ASSERT_TRUE(since);
    EXPECT_EQ(since->baseScanId, base);
    EXPECT_EQ(since->baseStartedMs, 100);
    EXPECT_EQ(since->comparison.added, 1u);
    EXPECT_EQ(since->comparison.removed, 1u);
    EXPECT_EQ(since->comparison.changed, 1u);
    EXPECT_EQ(since->pointKinds, (std::vector<std::uint16_t>{kChangeDataType, kChangeAdded}));
    EXPECT_FALSE(CompareWithLastScan(store, "opc.tcp://other:1", now));
    opened.store.reset();
    fs::remove_all(dir);
}

}  // namespace
