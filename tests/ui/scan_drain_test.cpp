#include "tests/ui/point_ids.h"
#include "ui/scan_drain.h"

#include <gtest/gtest.h>

namespace {

OPCUAItemData* Point(UA_UInt32 id) { return new OPCUAItemData(NumericId(2, id), "", "", "p", "", ""); }

class ScanDrain : public ::testing::Test {
protected:
    ~ScanDrain() override {
        for (auto* r : batch) delete r;
        OPCUAItemData* r = nullptr;
        while (list.get(r, false)) delete r;
    }
    PointList list;
    std::vector<OPCUAItemData*> batch;
};

TEST_F(ScanDrain, TakesEverythingInOrderUpToTheEndMarker) {
    for (UA_UInt32 i = 1; i <= 5; ++i) list.put(Point(i), false);
    list.put(NewEndMarker(), false);
    list.put(Point(99), false);  // a later scan's record stays in the list
    const DrainResult r = DrainPoints(list, batch, 1000);
    EXPECT_TRUE(r.endSeen);
    EXPECT_FALSE(r.budgetHit);
    ASSERT_EQ(r.taken, 5u);
    ASSERT_EQ(batch.size(), 5u);
    for (UA_UInt32 i = 0; i < 5; ++i) EXPECT_EQ(batch[i]->nodeId.identifier.numeric, i + 1);
    OPCUAItemData* left = nullptr;
    ASSERT_TRUE(list.get(left, false));
    EXPECT_EQ(left->nodeId.identifier.numeric, 99u);
    delete left;
}

TEST_F(ScanDrain, EmptyListTakesNothing) {
    const DrainResult r = DrainPoints(list, batch, 1000);
    EXPECT_EQ(r.taken, 0u);
    EXPECT_FALSE(r.endSeen);
    EXPECT_FALSE(r.budgetHit);
    EXPECT_TRUE(batch.empty());
}

TEST_F(ScanDrain, MarkerInAnyNamespaceEndsTheScan) {
    UA_NodeId id = NumericId(3, 0xFFFFFFFFu);
    list.put(new OPCUAItemData(id, "", "", "", "", ""), false);
    EXPECT_TRUE(DrainPoints(list, batch, 10).endSeen);
    EXPECT_TRUE(batch.empty());
}

TEST_F(ScanDrain, StopsAtTheBudgetAndLeavesTheRest) {
    for (UA_UInt32 i = 1; i <= 10; ++i) list.put(Point(i), false);
    list.put(NewEndMarker(), false);
    DrainResult r = DrainPoints(list, batch, 4);
    EXPECT_EQ(r.taken, 4u);
    EXPECT_TRUE(r.budgetHit);
    EXPECT_FALSE(r.endSeen);
    r = DrainPoints(list, batch, 100);
    EXPECT_EQ(r.taken, 6u);
    EXPECT_TRUE(r.endSeen);
    EXPECT_EQ(batch.back()->nodeId.identifier.numeric, 10u);
}

TEST(ScanPollRhythm, SoonWhileRecordsFlowOtherwiseThePeriod) {
    EXPECT_EQ(NextPollDelayMs({0, false, false}, 1000, 5), 1000);
    EXPECT_EQ(NextPollDelayMs({12, false, false}, 1000, 5), 5);
    EXPECT_EQ(NextPollDelayMs({32768, false, true}, 1000, 5), 5);
}

}  // namespace
