// A scan session against the demo server while it subscribes: values written on the server
// reach the rows through notifications, the server's monitored items follow the screen, a
// server without subscriptions is read instead, and a restarted server is subscribed again.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <string>

#include "engine/opcua_browser.h"
#include "session/scan_session.h"
#include "tests/session/pump.h"
#include "tests/support/demo_server_fixture.h"

namespace {

using namespace std::chrono_literals;

// A pass every second: it reads only when the subscription is not there.
Timing LiveTiming() {
    Timing t;
    t.scanMs = 5;
    t.refreshMs = 1000;
    t.retryMs = 200;
    t.liveSyncMs = 20;
    return t;
}

ConnectionSettings To(const DemoServer& server, int samplingMs = 100) {
    ConnectionSettings s;
    s.url = server.Url();
    s.timeoutSeconds = 5;
    s.samplingIntervalMs = samplingMs;
    return s;
}

class LiveSession : public ::testing::Test {
protected:
    // Scans `o`'s server; the rows [first, first + count) are the ones on screen.
    void Scan(DemoServerOptions o) {
        server = StartDemoServer(o);
        ASSERT_TRUE(server);
        made = std::make_unique<ScanSession>(timing);
        ScanSession& session = *made;
        session.SetVisibleRecords([this] {
            std::vector<VisibleRow> shown;
            for (int row = first; row < first + count; ++row) {
                OPCUAItemData* record = made->Rows().Record(row);
                if (record != nullptr && !record->dataType.empty()) shown.push_back({record, row});
            }
            return shown;
        });
        session.Connect(To(*server, samplingMs));
        ASSERT_TRUE(PumpUntil([&] { return session.State() == SessionState::Refreshing; }));
    }
    // The window says the screen changed, and its pause for more scrolling passes.
    void Scrolled() {
        made->VisibleRowsChanged();
        PumpFor(std::chrono::milliseconds(5 * timing.liveSyncMs));
    }
    // Records on screen that a pass would follow.
    std::int64_t Shown() const { return static_cast<std::int64_t>(made->VisibleRecords().size()); }
    bool Following(std::int64_t items) {
        const ScanSession& session = *made;
        return PumpUntil(
            [&] {
                return session.Live() == LiveMode::Subscribed &&
                       server->MonitoredItems() == items &&
                       session.MonitoredRecords() == static_cast<std::size_t>(items);
            },
            10s);
    }
    int RowOf(UA_UInt32 id) const {
        const UA_NodeId node = UA_NODEID_NUMERIC(server->PlantNamespace(), id);
        return made->Rows().RowOf(node);
    }
    const OPCUAItemData& Row(int row) const { return *made->Rows().Record(row); }

    Timing timing = LiveTiming();
    std::unique_ptr<ScanSession> made;
    std::unique_ptr<DemoServer> server;
    int first = 0;
    int count = 30;
    int samplingMs = 100;
};

TEST_F(LiveSession, AValueWrittenOnTheServerReachesItsRowWithinASecondAndAHalf) {
    samplingMs = 1000;
    Scan({});
    ScanSession& session = *made;
    const int row = RowOf(demo::kWritableDouble);
    ASSERT_GE(row, 0);
    first = row;
    count = 1;
    Scrolled();
    ASSERT_TRUE(Following(1));
    int changed = 0;
    QObject::connect(&session.Rows(), &PointRows::RowChanged,
                     [&](int r) { changed += r == row ? 1 : 0; });

    // Another client writes, as the write dialog's own session does.
    PointList list;
    OPCUABrowser writer(&list);
    ASSERT_EQ(writer.ConnectAnonymous(server->Url(), 5), 0);
    std::string shown;
    const UA_NodeId node = UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kWritableDouble);
    for (const char* value : {"12.5", "-3.25"}) {
        const auto written = std::chrono::steady_clock::now();
        ASSERT_EQ(writer.WriteValue(node, value, UA_TYPES_DOUBLE, shown), 0);
        ASSERT_TRUE(PumpUntil([&] { return Row(row).value == shown; }, 1500ms))
            << value << " still shows " << Row(row).value;
        EXPECT_LT(std::chrono::steady_clock::now() - written, 1500ms);
        EXPECT_EQ(Row(row).quality, "GOOD");
    }
    EXPECT_GE(changed, 2);
    EXPECT_EQ(session.LastReadResult(), 0);
}

TEST_F(LiveSession, TheServersMonitoredItemsFollowScrollingFilterAndDeletedRows) {
    DemoServerOptions o;
    o.points = 2000;
    o.changingPoints = 2000;
    o.maxMonitoredItemsPerCall = 7;  // thirty items take five calls each way
    Scan(o);
    ScanSession& session = *made;
    ASSERT_TRUE(Following(30));

    const int target = RowOf(demo::kGeneratedBase + 700);
    ASSERT_GE(target, 3);
    first = target - 3;  // scrolled to another part of the list
    Scrolled();
    ASSERT_TRUE(Following(30));
    const std::string before = Row(first + 3).value;
    EXPECT_TRUE(PumpUntil([&] { return Row(first + 3).value != before; }, 2500ms))
        << "a row scrolled into view changes with the server " << Row(first + 3).displayName << " "
        << Row(first + 3).value << " applied " << session.LiveValueStats().applied;

    count = 10;  // a filter leaves fewer rows on screen; a pass notices too
    session.RefreshPass();
    ASSERT_TRUE(Following(10));

    session.Rows().Erase(static_cast<std::size_t>(first), 4);  // deleted rows lose their items
    EXPECT_EQ(session.MonitoredRecords(), 6u);
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == 6; }, 5s));
    Scrolled();  // the rows below move up into view
    ASSERT_TRUE(Following(10));

    session.Stop();
    EXPECT_TRUE(PumpUntil([&] { return server->MonitoredItems() == 0; }, 5s))
        << "Stop ends the subscription";
}

TEST_F(LiveSession, AServerWithoutSubscriptionsIsReadEveryPass) {
    DemoServerOptions o;
    o.noSubscriptions = true;
    timing.refreshMs = 100;
    Scan(o);
    ScanSession& session = *made;
    ASSERT_TRUE(PumpUntil([&] { return session.Live() == LiveMode::Refused; }, 10s));
    first = RowOf(demo::kPumpCounter);
    count = 1;
    ASSERT_GE(first, 0);
    const std::string before = Row(first).value;
    server->ResetValueReads();
    EXPECT_TRUE(PumpUntil([&] { return Row(first).value != before; }, 3s));
    EXPECT_GT(server->ValueReads(), 0u);
    EXPECT_EQ(session.MonitoredRecords(), 0u);
}

TEST_F(LiveSession, ARestartedServerIsSubscribedAgain) {
    DemoServerOptions o;
    o.points = 100;
    o.changingPoints = 100;
    Scan(o);
    ScanSession& session = *made;
    const int row = RowOf(demo::kPumpCounter);
    ASSERT_GE(row, 0);
    first = row;  // the counter and what follows it are on screen
    Scrolled();
    const std::int64_t shown = Shown();
    ASSERT_GT(shown, 1);
    ASSERT_TRUE(Following(shown));
    server->Stop();
    ASSERT_TRUE(PumpUntil([&] { return session.State() == SessionState::Reconnecting; }, 15s));
    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;  // the same port
    ASSERT_TRUE(Following(shown)) << "the reconnect makes the subscription again "
                                  << static_cast<int>(session.Live()) << " "
                                  << server->MonitoredItems() << " " << session.MonitoredRecords()
                                  << " " << StateName(session.State());
    EXPECT_EQ(session.State(), SessionState::Refreshing);
    const std::string before = Row(row).value;
    EXPECT_TRUE(PumpUntil([&] { return Row(row).value != before; }, 3s));
}

}  // namespace
