// The walk over a slower network and against servers that take little at a time: a loopback
// relay delays every byte, loses chosen answers or cuts the line; the demo server's limits are
// squeezed. The walk must list exactly what a plain walk lists, and never ask more of the
// server than it allows.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "engine/node_id_text.h"
#include "engine/request_pipeline.h"
#include "tests/walk/walk_test_support.h"
#include "tools/relay/delay_relay.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// NodeId text and display name of every point, in the order the list received them.
std::vector<std::string> Listing(const Records& points) {
    std::vector<std::string> out;
    for (const auto& record : points)
        out.push_back(NodeIdToText(record->nodeId) + " " + record->displayName);
    return out;
}

class WalkPipelineTest : public WalkFixture {
protected:
    // A relay in front of the server; the browser's session goes through it.
    void StartRelayed(DemoServerOptions options, std::chrono::microseconds oneWayDelay) {
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        relay = std::make_unique<DelayRelay>("127.0.0.1", server->Port(), oneWayDelay);
        std::string error;
        ASSERT_TRUE(relay->Start(&error)) << error;
        browser = ConnectToUrl(relay->Url(), list);
        ASSERT_TRUE(browser);
    }

    // What the server allows, held against what the walk asked at most.
    static void ExpectWithinLimits(const BrowseStats& stats, const DemoServerOptions& options) {
        EXPECT_GE(stats.peakOutstanding, 1u);
        EXPECT_LE(stats.peakOutstanding, kMaxOutstandingRequests);
        if (options.maxNodesPerBrowse > 0) {
            EXPECT_LE(stats.peakNodesPerBrowse, options.maxNodesPerBrowse);
        }
        if (options.maxNodesPerRead > 0) {
            EXPECT_LE(stats.peakNodesPerRead, options.maxNodesPerRead);
        }
    }

    std::unique_ptr<DelayRelay> relay;
};

TEST_F(WalkPipelineTest, ThroughADelayingRelayListsWhatADirectWalkLists) {
    DemoServerOptions options;
    options.points = 3000;
    options.pointsPerFolder = 10;
    options.depth = 3;
    ASSERT_NO_FATAL_FAILURE(StartRelayed(options, 2ms));
    PointList directList;
    const auto direct = ConnectTo(*server, directList);
    ASSERT_TRUE(direct);
    const Records plain = WalkAll(*direct, directList);

    BrowseStats stats;
    const Records relayed = WalkAll(*browser, list, 30s, &stats);
    EXPECT_EQ(Listing(relayed), Listing(plain));
    EXPECT_TRUE(SamePoints(ListedPoints(relayed), ExpectedPoints(*server)));
    EXPECT_EQ(CheckGeneratedValues(relayed), options.points);
    EXPECT_FALSE(stats.sessionLost);
    EXPECT_EQ(stats.nodesFailed, 0u);
    // 300 objects in a handful of requests, not one each; all in flight together at times.
    EXPECT_LT(stats.browseRequests.load(), 100u);
    EXPECT_EQ(stats.peakOutstanding, kMaxOutstandingRequests);
    ExpectWithinLimits(stats, options);
    // The shared variable is met twice and counted once, as it is listed.
    EXPECT_EQ(stats.pointsFound.load(), server->Points().size());
}

struct SqueezedCase {
    const char* name;
    std::uint32_t maxNodesPerBrowse = 0;
    std::optional<std::uint16_t> maxContinuationPoints;
    std::uint32_t maxRefs = 0;
    std::uint32_t maxNodesPerRead = 0;
};

class SqueezedServerTest : public WalkPipelineTest,
                           public ::testing::WithParamInterface<SqueezedCase> {};

TEST_P(SqueezedServerTest, ListsEveryPointWithItsValueWithinTheServersLimits) {
    const SqueezedCase& c = GetParam();
    DemoServerOptions options;
    options.points = 400;
    options.pointsPerFolder = 10;
    options.depth = 2;
    options.maxNodesPerBrowse = c.maxNodesPerBrowse;
    options.maxContinuationPoints = c.maxContinuationPoints;
    options.maxRefs = c.maxRefs;
    options.maxNodesPerRead = c.maxNodesPerRead;
    ASSERT_NO_FATAL_FAILURE(StartRelayed(options, 200us));
    BrowseStats stats;
    const Records points = WalkAll(*browser, list, 60s, &stats);
    EXPECT_TRUE(SamePoints(ListedPoints(points), ExpectedPoints(*server)));
    EXPECT_EQ(CheckGeneratedValues(points), options.points);
    EXPECT_EQ(stats.nodesFailed, 0u);
    EXPECT_FALSE(stats.sessionLost);
    ExpectWithinLimits(stats, options);
    if (c.maxRefs > 0) {
        EXPECT_GT(stats.browseNextRequests.load(), 0u);
    }
    // Whatever the walk held, it gave back: a second walk on the session finds everything.
    const Records again = WalkAll(*browser, list, 60s);
    EXPECT_TRUE(SamePoints(ListedPoints(again), ExpectedPoints(*server)));
}

INSTANTIATE_TEST_SUITE_P(Limits, SqueezedServerTest,
                         ::testing::Values(SqueezedCase{"OneNodePerBrowse", 1, {}, 0, 0},
                                           SqueezedCase{"SevenNodesPerBrowse", 7, {}, 0, 0},
                                           SqueezedCase{"OneContinuationPoint", 0, 1, 2, 0},
                                           SqueezedCase{"TwoReferencesPerResult", 0, {}, 2, 0},
                                           SqueezedCase{"TenNodesPerRead", 0, {}, 0, 10},
                                           SqueezedCase{"AllAtOnce", 7, 1, 2, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

// A browser that believes the server names no limits, as one that does not tell them.
class UninformedBrowser : public OPCUABrowser {
public:
    using OPCUABrowser::OPCUABrowser;
    void ForgetLimits() {
        maxNodesPerRead = 0;
        maxNodesPerBrowse = 0;
        maxBrowseContinuationPoints = 0;
    }
};

TEST_F(WalkPipelineTest, ReadsAndBrowsesRefusedForTheirSizeAreHalvedUntilTheServerTakesThem) {
    DemoServerOptions options;
    options.points = 3000;
    options.pointsPerFolder = 10;
    options.maxNodesPerRead = 100;
    options.maxNodesPerBrowse = 3;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    UninformedBrowser uninformed(&list);
    ASSERT_EQ(uninformed.ConnectAnonymous(server->Url(), 10), 0);
    uninformed.ForgetLimits();
    BrowseStats stats;
    const Records points = WalkAll(uninformed, list, 60s, &stats);
    EXPECT_TRUE(SamePoints(ListedPoints(points), ExpectedPoints(*server)));
    EXPECT_EQ(CheckGeneratedValues(points), options.points);
    EXPECT_EQ(stats.nodesFailed, 0u);
    // It asked for more than the server takes, was refused, and got there by halving.
    EXPECT_GT(stats.peakNodesPerRead, options.maxNodesPerRead);
    EXPECT_GT(stats.peakNodesPerBrowse, options.maxNodesPerBrowse);
}

// The server never answers the Browse of one object: that object's points are missing, the
// rest of the walk is whole and the session stays.
TEST_F(WalkPipelineTest, ABrowseThatTimesOutLeavesTheRestIntact) {
    ASSERT_NO_FATAL_FAILURE(StartRelayed({}, 0us));
    // Requests give up after a second; the session, made with ten, outlives the wait.
    UA_Client_getConfig(browser->Client())->timeout = 1000;
    relay->DropResponsesTo(BrowseRequestMentioning("Plant.Line1.Tank1"));
    BrowseStats stats;
    const Records points = WalkAll(*browser, list, 30s, &stats);

    std::map<std::string, std::string> expected = ExpectedPoints(*server);
    const std::string ns = "ns=" + std::to_string(server->PlantNamespace()) + ";s=";
    for (const char* only : {demo::kTankLevel, demo::kTankTemperature, demo::kTankName})
        ASSERT_EQ(expected.erase(ns + only), 1u) << only;  // the shared variable is also Pump1's
    EXPECT_TRUE(SamePoints(ListedPoints(points), expected));
    for (const auto& record : points)
        EXPECT_EQ(record->quality, "GOOD") << NodeIdToText(record->nodeId);
    EXPECT_FALSE(stats.sessionLost);
    EXPECT_EQ(stats.nodesFailed, 1u);
    EXPECT_EQ(stats.timeouts, 2u);  // its batch, then it alone once more
    EXPECT_EQ(relay->DroppedResponses(), 2u);
}

TEST_F(WalkPipelineTest, InterruptedPipelinedWalkStopsPromptlyAndAppendsNothing) {
    DemoServerOptions options;
    options.points = 3000;
    options.pointsPerFolder = 10;
    options.depth = 3;
    options.maxRefs = 3;
    ASSERT_NO_FATAL_FAILURE(StartRelayed(options, 1ms));
    {
        WalkThread walk(*browser);
        ASSERT_TRUE(WaitFor([&] { return walk.Stats().browseNextRequests.load() >= 8; }, 20s));
        const Clock::time_point asked = Clock::now();
        walk.Interrupt();
        ASSERT_TRUE(walk.JoinFor(5s));
        EXPECT_LT(std::chrono::duration<double>(Clock::now() - asked).count(), 0.5);
        EXPECT_TRUE(walk.Stats().interrupted);
    }
    EXPECT_TRUE(Drain(list).empty());
    // The continuation points it held went back: the session still walks the whole server.
    const Records points = WalkAll(*browser, list, 120s);
    EXPECT_TRUE(SamePoints(ListedPoints(points), ExpectedPoints(*server)));
}

TEST_F(WalkPipelineTest, LineCutDuringAPipelinedWalkEndsItAtOnceWithThePointsFound) {
    DemoServerOptions options;
    options.points = 20000;
    options.pointsPerFolder = 10;
    options.depth = 3;
    options.maxRefs = 3;
    ASSERT_NO_FATAL_FAILURE(StartRelayed(options, 2ms));
    const std::map<std::string, std::string> expected = ExpectedPoints(*server);

    WalkThread walk(*browser);
    ASSERT_TRUE(WaitFor([&] { return walk.Stats().pointsFound.load() >= 100; }, 20s));
    const Clock::time_point cut = Clock::now();
    relay->CutConnections();
    ASSERT_TRUE(walk.JoinFor(10s));
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - cut).count(), 1.0);
    EXPECT_TRUE(walk.Stats().sessionLost);
    EXPECT_FALSE(walk.Stats().interrupted);

    ExpectCutShortWalk(list, expected);
}

}  // namespace
