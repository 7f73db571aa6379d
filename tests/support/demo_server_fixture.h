#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tools/demo-server/demo_nodes.h"
#include "tools/demo-server/demo_server.h"

// Starts the demo server in this process on a free loopback port. Fails the test (and returns
// null) when it cannot start.
// A secure one's certificate is trusted in the test's own home (see test_trust.h).
std::unique_ptr<DemoServer> StartDemoServer(DemoServerOptions options = {});
// The same without trusting its certificate.
std::unique_ptr<DemoServer> StartUntrustedDemoServer(DemoServerOptions options = {});

// Polls `done` until it holds or `timeout` passes; true when it held.
template <class Pred>
bool WaitFor(Pred done, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
