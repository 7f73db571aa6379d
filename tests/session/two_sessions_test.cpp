#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "session/scan_session.h"
#include "tests/session/pump.h"
#include "tests/support/demo_server_fixture.h"

namespace {

using namespace std::chrono_literals;

Timing Fast() {
    Timing t;
    t.scanMs = 5;
    t.refreshMs = 50;
    t.retryMs = 50;
    return t;
}

ConnectionSettings To(const DemoServer& server) {
    ConnectionSettings s;
    s.url = server.Url();
    s.authKind = 1;
    s.timeoutSeconds = 5;
    return s;
}

// Two servers scanned at once in one process: each session has its own engine, thread, rows
// and state, and what one does leaves the other alone.
TEST(TwoSessions, ScanTwoServersAtOnceEachWithItsOwnState) {
    DemoServerOptions small;
    small.points = 120;
    DemoServerOptions large;
    large.points = 3000;
    auto first = StartDemoServer(small);
    auto second = StartDemoServer(large);
    ASSERT_TRUE(first && second);

    ScanSession a(Fast());
    ScanSession b(Fast());
    a.Connect(To(*first));
    b.Connect(To(*second));
    EXPECT_EQ(a.State(), SessionState::Connecting);
    EXPECT_EQ(b.State(), SessionState::Connecting);
    ASSERT_TRUE(PumpUntil([&] {
        return a.State() == SessionState::Refreshing && b.State() == SessionState::Refreshing;
    }));
    EXPECT_EQ(a.Rows().Size(), first->Points().size());
    EXPECT_EQ(b.Rows().Size(), second->Points().size());
    EXPECT_EQ(a.SessionSettings()->url, first->Url());
    EXPECT_EQ(b.SessionSettings()->url, second->Url());

    // Both keep reading their own server.
    const auto readsA = first->ValueReads();
    const auto readsB = second->ValueReads();
    ASSERT_TRUE(PumpUntil(
        [&] { return first->ValueReads() > readsA && second->ValueReads() > readsB; }, 10s));

    // Stopping one leaves the other refreshing.
    a.Stop();
    EXPECT_EQ(a.State(), SessionState::Stopping);
    ASSERT_TRUE(PumpUntil([&] { return a.State() == SessionState::Idle; }));
    EXPECT_EQ(b.State(), SessionState::Refreshing);
    EXPECT_EQ(a.Rows().Size(), first->Points().size()) << "Stop keeps the rows";
    const auto afterStop = second->ValueReads();
    ASSERT_TRUE(PumpUntil([&] { return second->ValueReads() > afterStop; }, 10s));

    // One server goes away: only its session reconnects.
    second->Stop();
    ASSERT_TRUE(PumpUntil([&] { return b.State() == SessionState::Reconnecting; }, 20s));
    EXPECT_EQ(a.State(), SessionState::Idle);
    b.Close();
    EXPECT_EQ(b.State(), SessionState::Stopping);
    EXPECT_TRUE(b.Rows().Empty());
}

// Stop while the walk is still handing over its points: the walk ends at its next wait, the
// session settles to Idle and a new connect scans afresh.
TEST(TwoSessions, StopDuringTheWalkSettlesAndConnectScansAgain) {
    DemoServerOptions o;
    o.points = 60000;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    Timing slow = Fast();
    slow.scanMs = 1000;  // the list fills up and the walk waits for room
    slow.flowingMs = 1000;
    slow.drainBudget = 100;
    ScanSession s(slow);
    s.Connect(To(*server));
    ASSERT_TRUE(PumpUntil([&] { return s.State() == SessionState::Scanning; }));
    ASSERT_TRUE(PumpUntil([&] { return !s.Rows().Empty(); }));
    s.Stop();
    ASSERT_TRUE(PumpUntil([&] { return s.State() == SessionState::Idle; }, 20s));
    EXPECT_LT(s.Rows().Size(), server->Points().size());

    ScanSession again(Fast());
    again.Connect(To(*server));
    ASSERT_TRUE(PumpUntil([&] { return again.State() == SessionState::Refreshing; }, 60s));
    EXPECT_EQ(again.Rows().Size(), server->Points().size());
}

}  // namespace
