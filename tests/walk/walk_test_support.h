#pragma once

#include <atomic>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/opcua_item_data.h"
#include "tests/support/demo_server_fixture.h"

using Records = std::vector<std::unique_ptr<OPCUAItemData>>;

// A browser with an anonymous session on `server`; null (and the test failed) when it cannot.
std::unique_ptr<OPCUABrowser> ConnectTo(const DemoServer& server, PointList& list);
// The same on any URL (a relay's, say).
std::unique_ptr<OPCUABrowser> ConnectToUrl(const std::string& url, PointList& list);

// Everything in the list right now, in order, end markers included.
Records Drain(PointList& list);

// The records before a final end marker; fails the test when the marker is missing, not last,
// or there is more than one.
Records PointsBeforeEndMarker(Records drained);

// NodeId text → display name of what the server says a walk must find.
std::map<std::string, std::string> ExpectedPoints(const DemoServer& server);
// NodeId text → display name of the records; fails the test on a NodeId listed twice.
std::map<std::string, std::string> ListedPoints(const Records& points);

// What a walk cut short handed over from `list`: some points but not all of `expected`, each
// with its expected name, all marked "BAD" as a failed read marks them. Returns them.
Records ExpectCutShortWalk(PointList& list, const std::map<std::string, std::string>& expected);

// Success when both name the same points with the same display names; otherwise says how many
// are missing, unexpected or renamed, with a few examples of each.
::testing::AssertionResult SamePoints(const std::map<std::string, std::string>& listed,
                                      const std::map<std::string, std::string>& expected);

// Fails the test unless the list holds exactly one record, the end marker.
void ExpectOnlyEndMarker(PointList& list);

// Checks that every generated point among `points` came with its value read (each holds its
// own number); returns how many generated points there were.
std::size_t CheckGeneratedValues(const Records& points);

// A walk on a boost::thread, as the window runs it.
class WalkThread {
public:
    explicit WalkThread(OPCUABrowser& browser);
    ~WalkThread();  // interrupts and joins a walk still running

    // True when the walk ended within `timeout`.
    bool JoinFor(std::chrono::milliseconds timeout);
    void Interrupt() { thread_.interrupt(); }
    bool Done() const { return done_.load(); }
    BrowseStats& Stats() { return stats_; }

private:
    BrowseStats stats_;
    std::atomic<bool> done_{false};
    boost::thread thread_;
};

// Runs a whole walk with nothing draining the list meanwhile (fine below its capacity) and
// returns the points before the end marker. Fails the test when it does not end in `timeout`.
Records WalkAll(OPCUABrowser& browser, PointList& list,
                std::chrono::milliseconds timeout = std::chrono::seconds(30),
                BrowseStats* stats = nullptr);

// Takes records out of a list the way the window's scan poll does: everything waiting, then a
// short sleep, until the end marker has come or the consumer is stopped.
class ListConsumer {
public:
    explicit ListConsumer(PointList& list);
    ~ListConsumer();
    // Waits up to `timeout` for the end marker; true when it came.
    bool WaitForEndMarker(std::chrono::milliseconds timeout);
    // Stops and hands over all taken so far, the end marker included.
    Records Finish();

private:
    PointList& list_;
    Records taken_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> sawEnd_{false};
    std::thread thread_;
};

// A demo server started with the test's options and an anonymous browser on it.
class WalkFixture : public ::testing::Test {
protected:
    void Start(DemoServerOptions options = {}) {
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        browser = ConnectTo(*server, list);
        ASSERT_TRUE(browser);
    }

    PointList list;
    std::unique_ptr<DemoServer> server;
    std::unique_ptr<OPCUABrowser> browser;
};
