#include "engine/scan_drain.h"

#include <gtest/gtest.h>

#include "tests/support/demo_server_fixture.h"
#include "tests/ui/point_ids.h"
#include "tools/demo-server/demo_nodes.h"

namespace {

OPCUAItemData* Point(UA_UInt32 id) {
    return new OPCUAItemData(NumericId(2, id), "", "", "p", "", "");
}

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

// The end is the record NewEndMarker made, not a NodeId: a server's ns=3;i=4294967295 is a point.
TEST_F(ScanDrain, OnlyTheRealMarkerEndsTheScan) {
    for (UA_UInt16 ns : {0, 1, 3})
        list.put(new OPCUAItemData(NumericId(ns, 0xFFFFFFFFu), "", "", "p", "", ""), false);
    list.put(Point(1), false);
    list.put(NewEndMarker(), false);
    const DrainResult r = DrainPoints(list, batch, 10);
    EXPECT_TRUE(r.endSeen);
    EXPECT_EQ(r.taken, 4u);
    ASSERT_EQ(batch.size(), 4u);
    EXPECT_EQ(batch[2]->nodeId.namespaceIndex, 3);
}

// The demo server has a variable ns=2;i=4294967295 with a dozen points walked after it.
TEST_F(ScanDrain, WalkOfAServerUsingTheMarkersNodeIdHandsOverEveryPoint) {
    const auto server = StartDemoServer();
    ASSERT_TRUE(server);
    OPCUABrowser engine(&list);
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    engine.BrowseAll();
    DrainResult r;
    for (int polls = 0; polls < 100 && !r.endSeen; ++polls) r = DrainPoints(list, batch, 1000);
    EXPECT_TRUE(r.endSeen);
    EXPECT_EQ(batch.size(), server->Points().size());
    const UA_NodeId collision = NumericId(server->PlantNamespace(), demo::kMaxNumericPoint);
    std::size_t at = batch.size();
    for (std::size_t i = 0; i < batch.size(); ++i)
        if (UA_NodeId_equal(&batch[i]->nodeId, &collision)) at = i;
    ASSERT_LT(at, batch.size());
    EXPECT_GT(batch.size() - at, 12u) << "points walked after it";
    EXPECT_EQ(batch[at]->value, "5");
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
