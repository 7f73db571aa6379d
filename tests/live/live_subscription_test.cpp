// A subscription against the demo server: items made in batches, changes delivered, items and
// the subscription gone on the server when asked, and a server that refuses subscriptions.
#include "engine/live/live_subscription.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "engine/opcua_browser.h"
#include "tests/support/demo_server_fixture.h"

namespace {

using namespace std::chrono_literals;

std::vector<MonitorRequest> Generated(const DemoServer& server, std::uint32_t first,
                                      std::uint32_t count) {
    std::vector<MonitorRequest> items;
    for (std::uint32_t k = 0; k < count; ++k) {
        const UA_NodeId id =
            UA_NODEID_NUMERIC(server.PlantNamespace(), demo::kGeneratedBase + first + k);
        items.push_back({first + k + 1, UaNodeId::CopyOf(id)});
    }
    return items;
}

class LiveSubscriptionTest : public ::testing::Test {
protected:
    void Start(DemoServerOptions o) {
        server = StartDemoServer(o);
        ASSERT_TRUE(server);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 5), 0);
    }
    // Iterates until `done` holds for what arrived; false after `timeout`.
    template <class Pred>
    bool CollectUntil(LiveSubscription& live, std::vector<LiveChange>& changes, Pred done,
                      std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            if (live.Collect(50ms, changes) != UA_STATUSCODE_GOOD) return false;
        }
        return true;
    }

    PointList list;
    OPCUABrowser engine{&list};
    std::unique_ptr<DemoServer> server;
};

TEST_F(LiveSubscriptionTest, ChangesArriveAndItemsComeAndGoOnTheServer) {
    DemoServerOptions o;
    o.points = 100;
    o.changingPoints = 100;
    Start(o);
    UA_StatusCode status = UA_STATUSCODE_BADINTERNALERROR;
    auto live = LiveSubscription::Create(engine.Client(), 200, status);
    ASSERT_TRUE(live) << UA_StatusCode_name(status);
    EXPECT_DOUBLE_EQ(live->Revised().publishingMs, kPublishingIntervalMs);

    std::vector<std::pair<std::uint32_t, UA_StatusCode>> refused;
    const auto items = Generated(*server, 0, 30);
    ASSERT_EQ(live->Add(items, refused), UA_STATUSCODE_GOOD);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(live->Items(), 30u);
    EXPECT_GT(live->Revised().samplingMs, 0.0);
    EXPECT_TRUE(WaitFor([&] { return server->MonitoredItems() == 30; }));

    // First the initial values, then each second the next ones: item 5 shows two values.
    std::vector<LiveChange> changes;
    std::vector<std::string> seen;
    ASSERT_TRUE(CollectUntil(*live, changes, [&] {
        for (const LiveChange& c : changes)
            if (c.handle == 5 && (seen.empty() || seen.back() != c.value)) seen.push_back(c.value);
        changes.clear();
        return seen.size() >= 2;
    }));
    EXPECT_NE(seen[0], seen[1]);

    const std::uint32_t gone[] = {1, 2, 3, 4, 5, 99};  // 99 was never made
    EXPECT_EQ(live->Remove(gone), UA_STATUSCODE_GOOD);
    EXPECT_EQ(live->Items(), 25u);
    EXPECT_TRUE(WaitFor([&] { return server->MonitoredItems() == 25; }));
    live.reset();
    EXPECT_TRUE(WaitFor([&] { return server->MonitoredItems() == 0; }))
        << "the subscription's end takes its items along";
}

TEST_F(LiveSubscriptionTest, ItemsGoInBatchesWithinTheServersLimit) {
    DemoServerOptions o;
    o.points = 100;
    o.maxMonitoredItemsPerCall = 7;
    Start(o);
    UA_StatusCode status = UA_STATUSCODE_BADINTERNALERROR;
    auto live = LiveSubscription::Create(engine.Client(), 1000, status);
    ASSERT_TRUE(live) << UA_StatusCode_name(status);
    EXPECT_EQ(live->Revised().maxPerCall, 7u);
    std::vector<std::pair<std::uint32_t, UA_StatusCode>> refused;
    ASSERT_EQ(live->Add(Generated(*server, 0, 30), refused), UA_STATUSCODE_GOOD);
    EXPECT_EQ(live->Items(), 30u);
    EXPECT_TRUE(WaitFor([&] { return server->MonitoredItems() == 30; }));
    std::vector<std::uint32_t> all;
    for (std::uint32_t h = 1; h <= 30; ++h) all.push_back(h);
    EXPECT_EQ(live->Remove(all), UA_STATUSCODE_GOOD);
    EXPECT_TRUE(WaitFor([&] { return server->MonitoredItems() == 0; }));
}

TEST_F(LiveSubscriptionTest, AnUnknownNodeIsRefusedAloneAndTheOthersAreMade) {
    Start({});
    UA_StatusCode status = UA_STATUSCODE_BADINTERNALERROR;
    auto live = LiveSubscription::Create(engine.Client(), 1000, status);
    ASSERT_TRUE(live);
    std::vector<MonitorRequest> items;
    items.push_back(
        {1, UaNodeId::CopyOf(UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kPumpCounter))});
    items.push_back({2, UaNodeId::CopyOf(UA_NODEID_NUMERIC(server->PlantNamespace(), 987654))});
    std::vector<std::pair<std::uint32_t, UA_StatusCode>> refused;
    ASSERT_EQ(live->Add(items, refused), UA_STATUSCODE_GOOD);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].first, 2u);
    EXPECT_EQ(refused[0].second, UA_STATUSCODE_BADNODEIDUNKNOWN);
    EXPECT_EQ(live->Items(), 1u);
}

TEST_F(LiveSubscriptionTest, AServerWithoutSubscriptionsRefusesAndASessionlessClientToo) {
    DemoServerOptions o;
    o.noSubscriptions = true;
    Start(o);
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    EXPECT_FALSE(LiveSubscription::Create(engine.Client(), 1000, status));
    EXPECT_TRUE(UA_StatusCode_isBad(status)) << UA_StatusCode_name(status);

    engine.Disconnect();
    status = UA_STATUSCODE_GOOD;
    EXPECT_FALSE(LiveSubscription::Create(engine.Client(), 1000, status));
    EXPECT_EQ(status, UA_STATUSCODE_BADSESSIONCLOSED);
}

TEST_F(LiveSubscriptionTest, ALostServerEndsCollecting) {
    Start({});
    UA_StatusCode status = UA_STATUSCODE_BADINTERNALERROR;
    auto live = LiveSubscription::Create(engine.Client(), 1000, status);
    ASSERT_TRUE(live);
    std::vector<LiveChange> changes;
    EXPECT_EQ(live->Collect(100ms, changes), UA_STATUSCODE_GOOD);
    server->Stop();
    const auto end = std::chrono::steady_clock::now() + 10s;
    UA_StatusCode last = UA_STATUSCODE_GOOD;
    while (last == UA_STATUSCODE_GOOD && std::chrono::steady_clock::now() < end)
        last = live->Collect(100ms, changes);
    EXPECT_NE(last, UA_STATUSCODE_GOOD);
}

}  // namespace
