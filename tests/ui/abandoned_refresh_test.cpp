// A refresh pass whose Read the server never answers (a frozen server: the relay swallows every
// Read answer) must not hold the window: Stop, closing and a new Connect end it within a second,
// although the session would wait ten.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "tools/relay/delay_relay.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class AbandonedRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions options;
        options.points = 50;
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        relay = std::make_unique<DelayRelay>("127.0.0.1", server->Port(), 0us);
        std::string error;
        ASSERT_TRUE(relay->Start(&error)) << error;
        window = std::make_unique<CQuorvaneDlg>(Slow());
        SetUrl(*window, relay->Url());
        window->show();
        ASSERT_TRUE(ScanToEnd(*window));
        ASSERT_FALSE(window->Rows().empty());
        // From here on the server takes Reads and never answers them.
        relay->DropResponsesTo(ReadRequests());
        window->OnRefreshPass();
        ASSERT_TRUE(window->RefreshRunning());
        ASSERT_TRUE(PumpUntil([&] { return relay->DroppedResponses() >= 1; }, 5s));
        PumpFor(100ms);
        ASSERT_TRUE(window->RefreshRunning()) << "the Read must still be waiting";
    }

    // Passes only when the test asks for them.
    static Timing Slow() {
        Timing t = FastTiming();
        t.refreshMs = 600000;
        t.retryMs = 600000;
        return t;
    }

    PromptScript prompts;
    std::unique_ptr<DemoServer> server;
    std::unique_ptr<DelayRelay> relay;
    std::unique_ptr<CQuorvaneDlg> window;
};

TEST_F(AbandonedRefresh, StopEndsTheWaitAndClosesTheSessionInTheBackground) {
    const auto pressed = Clock::now();
    Click(*window, "connectButton");  // Stop
    EXPECT_EQ(TextOf(*window, "connectButton"), "连接");
    ASSERT_TRUE(WaitIdle(*window, 1s * kSlowdown));
    EXPECT_LT(Clock::now() - pressed, 1s * kSlowdown);
    EXPECT_EQ(TextOf(*window, "statusLine"), "停止更新...");
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(AbandonedRefresh, ClosingEndsWithinASecond) {
    const auto closing = Clock::now();
    window->close();
    window.reset();
    EXPECT_LT(Clock::now() - closing, 1s * kSlowdown);
}

TEST_F(AbandonedRefresh, ANewConnectDoesNotWaitForTheOldRead) {
    Click(*window, "connectButton");  // Stop
    relay->DropResponsesTo({});       // the server is back
    const auto pressed = Clock::now();
    ASSERT_TRUE(PressConnect(*window, 5s));
    EXPECT_LT(Clock::now() - pressed, 1s * kSlowdown);
    EXPECT_TRUE(PumpUntil([&] { return !window->WalkRunning() && !window->ScanPollPending(); }));
    EXPECT_EQ(window->Rows().size(), server->Points().size());
    // The new session reads: a pass brings GOOD values.
    ASSERT_TRUE(RunRefreshPass(*window, 5s));
    EXPECT_EQ(window->LastReadResult(), 0);
    EXPECT_TRUE(prompts.script.messages.empty());
}

}  // namespace
