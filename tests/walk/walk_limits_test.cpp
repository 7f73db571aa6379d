// The walk at its limits: more points than the list holds, a server that goes away, and a
// walk that is told to stop.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "engine/value_text.h"
#include "tests/walk/walk_test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class WalkLimitsTest : public WalkFixture {
protected:
    // Waits until the walk has sent `requests` Browse or BrowseNext requests.
    static bool WaitForRequests(WalkThread& walk, std::uint64_t requests) {
        return WaitFor([&] { return walk.Stats().browseRequests.load() >= requests; }, 20s);
    }
    // A server whose walk takes thousands of requests, so a walk is surely under way.
    void StartLongWalk() {
        DemoServerOptions options;
        options.points = 20000;
        options.maxRefs = 10;
        Start(options);
    }
};

TEST_F(WalkLimitsTest, MorePointsThanTheListHoldsAllArriveBeforeTheEndMarker) {
    DemoServerOptions options;
    options.points = 40000;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    const std::map<std::string, std::string> expected = ExpectedPoints(*server);
    ASSERT_GT(expected.size(), list.Capacity());

    // The window comes to drain only once the list is full, as a late scan poll would.
    WalkThread walk(*browser);
    ASSERT_TRUE(WaitFor([&] { return walk.Stats().handedOver.load() >= list.Capacity(); }, 30s));
    ListConsumer window(list);
    ASSERT_TRUE(window.WaitForEndMarker(60s));
    ASSERT_TRUE(walk.JoinFor(10s));
    const Records points = PointsBeforeEndMarker(window.Finish());
    EXPECT_TRUE(SamePoints(ListedPoints(points), expected));
    EXPECT_EQ(walk.Stats().handedOver.load(), expected.size());
    // Values are read in slices; each generated point holds its own number.
    EXPECT_EQ(CheckGeneratedValues(points), options.points);
}

TEST_F(WalkLimitsTest, ServerGoneMidWalkEndsTheWalkQuicklyWithThePointsFound) {
    ASSERT_NO_FATAL_FAILURE(StartLongWalk());
    const std::map<std::string, std::string> expected = ExpectedPoints(*server);

    WalkThread walk(*browser);
    ASSERT_TRUE(WaitForRequests(walk, 100));
    const Clock::time_point stopped = Clock::now();
    server->Stop();
    ASSERT_TRUE(walk.JoinFor(10s));
    const double seconds = std::chrono::duration<double>(Clock::now() - stopped).count();
    EXPECT_LT(seconds, 3.0) << "the walk went on after the server had gone";
    EXPECT_TRUE(walk.Stats().sessionLost);

    // No answer came for them: no time, rather than the year 1601.
    for (const auto& record : ExpectCutShortWalk(list, expected)) EXPECT_EQ(record->time, "");
}

TEST_F(WalkLimitsTest, InterruptedWalkAppendsNothing) {
    ASSERT_NO_FATAL_FAILURE(StartLongWalk());

    {
        WalkThread walk(*browser);
        walk.Interrupt();  // before or just as it starts
        ASSERT_TRUE(walk.JoinFor(5s));
    }
    EXPECT_TRUE(Drain(list).empty());

    WalkThread walk(*browser);
    ASSERT_TRUE(WaitForRequests(walk, 100));
    const Clock::time_point asked = Clock::now();
    walk.Interrupt();
    ASSERT_TRUE(walk.JoinFor(5s));
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - asked).count(), 1.0);
    EXPECT_TRUE(walk.Stats().interrupted);
    EXPECT_TRUE(Drain(list).empty());
}

TEST_F(WalkLimitsTest, InterruptedWhileWaitingForRoomInTheListStopsAppending) {
    DemoServerOptions options;
    options.points = 40000;
    ASSERT_NO_FATAL_FAILURE(Start(options));
    const std::size_t total = server->Points().size();

    WalkThread walk(*browser);
    // The first record arrives only once all are read, so from here on the walk is handing
    // over, and with nobody draining it soon waits for room.
    OPCUAItemData* first = nullptr;
    ASSERT_TRUE(list.get(first, true));
    std::unique_ptr<OPCUAItemData> owned(first);
    ASSERT_TRUE(WaitFor([&] { return walk.Stats().handedOver.load() >= list.Capacity(); }, 20s));
    walk.Interrupt();
    ASSERT_TRUE(walk.JoinFor(5s));

    const Records rest = Drain(list);
    EXPECT_LT(rest.size() + 1, total);
    for (const auto& record : rest) EXPECT_FALSE(IsEndMarker(*record));
    EXPECT_EQ(rest.size() + 1, walk.Stats().handedOver.load());
}

TEST_F(WalkLimitsTest, WalksStoppedAmidContinuationPointsLeaveNoneBehind) {
    DemoServerOptions options;
    options.points = 3000;
    options.maxRefs = 2;
    ASSERT_NO_FATAL_FAILURE(Start(options));

    // The server keeps five continuation points per session; more walks than that stop
    // while a node is half browsed.
    // (A walk that cannot get continuation points any more ends early and short.)
    for (int round = 0; round < 8; ++round) {
        WalkThread walk(*browser);
        ASSERT_TRUE(WaitFor(
            [&] { return walk.Stats().browseNextRequests.load() >= 20 || walk.Done(); }, 20s));
        walk.Interrupt();
        ASSERT_TRUE(walk.JoinFor(5s));
        Drain(list);
    }
    const Records points = WalkAll(*browser, list);
    EXPECT_TRUE(SamePoints(ListedPoints(points), ExpectedPoints(*server)));
}

}  // namespace
