// The walk against the demo address space: what it lists, how it names and orders it.
#include <gtest/gtest.h>

#include <string>

#include "engine/node_id_text.h"
#include "tests/walk/walk_test_support.h"

namespace {

std::string Str(const DemoServer& server, const char* id) {
    return "ns=" + std::to_string(server.PlantNamespace()) + ";s=" + id;
}

std::string Num(std::uint16_t ns, std::uint32_t id) {
    return "ns=" + std::to_string(ns) + ";i=" + std::to_string(id);
}

// Types whose values have a text form; a point of another type keeps an empty value text.
bool HasTextForm(std::uint16_t typeIndex) {
    return typeIndex <= UA_TYPES_DATETIME || typeIndex == UA_TYPES_BYTESTRING ||
           typeIndex == UA_TYPES_LOCALIZEDTEXT;
}

class WalkTest : public WalkFixture {
protected:
    Records Walk(BrowseStats* stats = nullptr) {
        return WalkAll(*browser, list, std::chrono::seconds(30), stats);
    }
};

TEST_F(WalkTest, EmptyObjectsFolderGivesOnlyTheEndMarker) {
    DemoServerOptions options;
    options.emptyObjects = true;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    browser->BrowseAll();
    ExpectOnlyEndMarker(list);
}

// The plant has a variable under two objects and two objects that reference each other; the
// walk must end, and ListedPoints fails on any point listed twice.
TEST_F(WalkTest, ListsExactlyTheServersPointsOnceWithTheirNames) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Records points = Walk();
    const std::map<std::string, std::string> listed = ListedPoints(points);
    EXPECT_TRUE(listed.count(Str(*server, demo::kSharedVariable)));
    EXPECT_TRUE(listed.count(Str(*server, demo::kCycleAVariable)));
    EXPECT_TRUE(listed.count(Str(*server, demo::kCycleBVariable)));
    EXPECT_TRUE(SamePoints(listed, ExpectedPoints(*server)));
    EXPECT_EQ(points.size(), server->Points().size());
}

TEST_F(WalkTest, EveryPointComesWithItsValueRead) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Records points = Walk();
    ASSERT_FALSE(points.empty());
    for (const auto& record : points) {
        const std::string id = NodeIdToText(record->nodeId);
        EXPECT_EQ(record->quality, "GOOD") << id;
        EXPECT_FALSE(record->time.empty()) << id;
        EXPECT_FALSE(record->dataType.empty()) << id;
        ASSERT_NE(record->typeIndex, OPCUAItemData::kNoType) << id;
        const bool scalar = id != Num(server->PlantNamespace(), demo::kInt32Array);
        if (scalar && HasTextForm(record->typeIndex)) {
            EXPECT_FALSE(record->value.empty()) << id;
        }
    }
}

TEST_F(WalkTest, OnlyObjectsNamedExactlyServerAreSkipped) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::map<std::string, std::string> listed = ListedPoints(Walk());
    EXPECT_FALSE(listed.count(Str(*server, demo::kHiddenVariable)));
    EXPECT_TRUE(listed.count(Str(*server, demo::kLowerServerVariable)));
    EXPECT_TRUE(listed.count(Str(*server, demo::kServer2Variable)));
    ASSERT_TRUE(listed.count(Str(*server, demo::kServerNamedVariable)));
    EXPECT_EQ(listed.at(Str(*server, demo::kServerNamedVariable)), "Server");
    // The standard Server object's status and diagnostics stay out.
    for (const auto& [id, name] : listed) EXPECT_NE(id.rfind("ns=0;", 0), 0u) << id;
}

TEST_F(WalkTest, PointsComeInDescendingNodeIdOrder) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const Records points = Walk();
    ASSERT_GE(points.size(), 2u);
    for (std::size_t i = 1; i < points.size(); ++i) {
        EXPECT_EQ(UA_NodeId_order(&points[i - 1]->nodeId, &points[i]->nodeId), UA_ORDER_MORE)
            << NodeIdToText(points[i - 1]->nodeId) << " before " << NodeIdToText(points[i]->nodeId);
    }
    // The second namespace (3) first, highest number first; then the plant's byte string,
    // GUID, string and numeric identifiers in that order.
    const std::uint16_t plant = server->PlantNamespace();
    const std::uint16_t second = server->SecondNamespace();
    ASSERT_GT(second, plant);
    EXPECT_EQ(NodeIdToText(points[0]->nodeId), Num(second, 2));
    EXPECT_EQ(NodeIdToText(points[1]->nodeId), Num(second, 1));
    EXPECT_EQ(points[2]->displayName, "OpaquePoint");
    EXPECT_EQ(points[3]->displayName, "GuidPoint");
    EXPECT_EQ(points[4]->nodeId.identifierType, UA_NODEIDTYPE_STRING);
    EXPECT_EQ(NodeIdToText(points.back()->nodeId), Num(plant, demo::kAllTypesBase));
}

TEST_F(WalkTest, FollowsContinuationPointsToTheEndAndFreesThem) {
    DemoServerOptions options;
    options.maxRefs = 2;
    options.points = 1500;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    BrowseStats stats;
    const Records first = Walk(&stats);
    EXPECT_TRUE(SamePoints(ListedPoints(first), ExpectedPoints(*server)));
    // Pages of two references: each of the 1500 points behind one; the server keeps five
    // continuation points a session, so a BrowseNext carries at most five of them.
    EXPECT_GE(stats.browseNextRequests.load(), 1500u / 2 / 5);
    // A session whose continuation points were left behind could not walk a second time.
    const Records second = Walk();
    EXPECT_TRUE(SamePoints(ListedPoints(second), ExpectedPoints(*server)));
}

TEST_F(WalkTest, ServerWithSmallReadLimitStillGivesEveryValue) {
    DemoServerOptions options;
    options.maxNodesPerRead = 100;
    options.points = 1000;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    const Records points = Walk();
    EXPECT_EQ(points.size(), server->Points().size());
    for (const auto& record : points)
        EXPECT_EQ(record->quality, "GOOD") << NodeIdToText(record->nodeId);
    EXPECT_EQ(CheckGeneratedValues(points), 1000u);
}

TEST_F(WalkTest, WithoutSessionOnlyTheEndMarkerArrives) {
    OPCUABrowser idle(&list);
    idle.BrowseAll();
    ExpectOnlyEndMarker(list);
}

}  // namespace
