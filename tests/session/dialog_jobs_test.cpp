#include <gtest/gtest.h>

#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

#include "session/scan_session.h"
#include "tests/session/pump.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

using namespace std::chrono_literals;

ConnectionSettings To(const std::string& url) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = 1;
    s.timeoutSeconds = 5;
    return s;
}

UaNodeId WritableDouble() {
    UA_NodeId id = UA_NODEID_NUMERIC(2, demo::kWritableDouble);
    return UaNodeId::CopyOf(id);
}

// The dialogs' jobs go to the session's one thread: a write asked while the walk runs waits
// for the walk to end (the client is never shared between threads) and then writes over a
// connection of its own, which leaves the session's own one alone.
TEST(DialogJobs, AWriteWaitsBehindTheWalkAndUsesAConnectionOfItsOwn) {
    DemoServerOptions o;
    o.points = 30000;
    auto server = StartDemoServer(o);
    ASSERT_TRUE(server);
    Timing t;
    t.scanMs = 5;
    ScanSession session(t);
    bool walkEnded = false;
    QObject::connect(&session, &ScanSession::WalkEnded, [&] { walkEnded = true; });
    session.Connect(To(server->Url()));
    ASSERT_TRUE(PumpUntil([&] { return session.State() == SessionState::Scanning; }));

    QObject receiver;
    std::optional<ScanSession::WriteOutcome> outcome;
    bool walkEndedFirst = false;
    session.Write(&receiver, To(server->Url()), *WritableDouble(), "1.5", UA_TYPES_DOUBLE,
                  [&](const ScanSession::WriteOutcome& o) {
                      walkEndedFirst = walkEnded;
                      outcome = o;
                  });
    ASSERT_TRUE(PumpUntil([&] { return outcome.has_value(); }));
    EXPECT_TRUE(walkEndedFirst) << "the write ran beside the walk";
    EXPECT_EQ(outcome->connect, ConnectOutcome::Connected);
    EXPECT_EQ(outcome->written, 0);
    EXPECT_EQ(outcome->result, "1.500");
    EXPECT_EQ(session.Rows().Size(), server->Points().size());
    // The session's own connection still reads.
    const auto reads = server->ValueReads();
    session.RefreshPass();
    ASSERT_TRUE(PumpUntil([&] { return server->ValueReads() > reads; }, 10s));
}

// A result nobody waits for any more is dropped: the receiver went, the job was cancelled, or
// the session closed. A cancelled listing of a server that never answers ends at once.
TEST(DialogJobs, ResultsOfCancelledJobsAndGoneReceiversAreDropped) {
    auto server = StartDemoServer();
    ASSERT_TRUE(server);
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    ScanSession session;

    int delivered = 0;
    auto count = [&](const EndpointListing&) { ++delivered; };
    {
        auto gone = std::make_unique<QObject>();
        session.ListEndpoints(gone.get(), server->Url(), 5, count);
        gone.reset();
    }
    QObject receiver;
    const auto started = std::chrono::steady_clock::now();
    ScanSession::JobCancel waiting = session.ListEndpoints(&receiver, silent.Url(), 20, count);
    ASSERT_TRUE(PumpUntil([&] { return silent.Accepted() > 0; }));
    *waiting = true;
    // A listing behind the cancelled one is delivered, and soon.
    std::optional<EndpointListing> listed;
    session.ListEndpoints(&receiver, server->Url(), 5,
                          [&](const EndpointListing& l) { listed = l; });
    ASSERT_TRUE(PumpUntil([&] { return listed.has_value(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(listed->status, UA_STATUSCODE_GOOD);
    EXPECT_FALSE(listed->endpoints.empty());
    EXPECT_EQ(delivered, 0);

    std::optional<ScanSession::WriteOutcome> written;
    session.Write(&receiver, To(silent.Url()), *WritableDouble(), "2", UA_TYPES_DOUBLE,
                  [&](const ScanSession::WriteOutcome& o) { written = o; });
    session.Close();  // gives the waiting connect up and waits for it
    PumpFor(100ms);
    EXPECT_FALSE(written.has_value());
}

}  // namespace
