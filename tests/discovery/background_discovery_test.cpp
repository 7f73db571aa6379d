#include "discovery/background_discovery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

using namespace std::chrono_literals;

// A run on its own thread reports what it found once, at its end, and is joined when it goes.
TEST(BackgroundDiscovery, FindsOnItsOwnThreadAndReportsOnceAtTheEnd) {
    const auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    DiscoveryRequest request;
    request.urls = {server->Url()};
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> reports{0};
    std::atomic<bool> onOwnThread{false};
    std::optional<DiscoveryResult> result;
    std::atomic<bool> found{false};
    DiscoveryEvents events;
    events.serverFound = [&](const DiscoveredServer&) { found = true; };
    {
        BackgroundDiscovery run(request, {}, events, [&](DiscoveryResult r) {
            onOwnThread = std::this_thread::get_id() != caller;
            result = std::move(r);
            ++reports;
        });
        ASSERT_TRUE(WaitFor([&] { return run.Finished(); }, 20s));
    }
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(onOwnThread);
    EXPECT_TRUE(found);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->servers.size(), 1u);
    EXPECT_FALSE(result->cancelled);
}

// Going away in the middle cancels: a port that never answers its Hello does not hold it up
// for the probe's whole timeout, and what was found so far is still reported.
TEST(BackgroundDiscovery, GoingAwayCancelsAndWaitsForTheRun) {
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    DiscoveryRequest request;
    request.hosts = {{"127.0.0.1", {}, false}};
    request.ports = {silent.Port()};
    request.probeTimeout = 30s;
    std::atomic<int> reports{0};
    bool cancelled = false;
    const auto started = std::chrono::steady_clock::now();
    {
        BackgroundDiscovery run(request, {}, {}, [&](DiscoveryResult r) {
            cancelled = r.cancelled;
            ++reports;
        });
        ASSERT_TRUE(WaitFor([&] { return silent.Accepted() > 0; }));
        EXPECT_FALSE(run.Finished());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(cancelled);
}

}  // namespace
