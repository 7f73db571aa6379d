// Refresh passes further apart than the secure channel lives: the client's own housekeeping
// between them keeps the session, so a healthy server never shows BAD. Short lifetimes through
// the engine's timing stand in for the real ten minutes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "engine/opcua_browser.h"
#include "tests/engine/engine_test_support.h"

using engine_test::Records;

namespace {

struct PassCounts {
    int passes = 0;
    int failed = 0;
};

// Reads `records` every `gap` for `span`, calling KeepAlive every 50 ms in between when asked.
PassCounts RefreshFor(OPCUABrowser& engine, Records& records, std::chrono::milliseconds gap,
                      std::chrono::milliseconds span, bool keepAlive) {
    PassCounts counts;
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        const bool good = engine.ReadValues(records.pointers) == 0 && records[0].quality == "GOOD";
        ++counts.passes;
        counts.failed += good ? 0 : 1;
        const auto next = std::chrono::steady_clock::now() + gap;
        while (std::chrono::steady_clock::now() < next) {
            if (keepAlive) engine.KeepAlive();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return counts;
}

TEST(SessionKeepAlive, PassesFurtherApartThanTheChannelLivesStayGood) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    PointList list;
    OPCUABrowser engine(&list);
    // The channel lives 1 s and is renewed at three quarters; passes come every 1.7 s.
    engine.SetSessionTiming({1000, 5000});
    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 5), 0);
    Records records;
    records.Add(UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kPumpCounter));
    const PassCounts counts = RefreshFor(engine, records, std::chrono::milliseconds(1700),
                                         std::chrono::milliseconds(6500), true);
    EXPECT_GE(counts.passes, 4);
    EXPECT_EQ(counts.failed, 0) << "of " << counts.passes << " passes";
}

TEST(SessionKeepAlive, WithoutASessionKeepAliveDoesNothing) {
    PointList list;
    OPCUABrowser engine(&list);
    engine.KeepAlive();
    EXPECT_FALSE(engine.HasSession());
}

}  // namespace
