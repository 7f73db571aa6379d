#pragma once

// What the UI benchmark programs share: an in-process demo server and pumping Qt events.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "tools/demo-server/demo_server.h"

// Windows of a benchmark remember nothing of the user's and leave nothing behind for them: the
// settings go to a directory of their own. Call before the QApplication exists.
inline void UseScratchSettings() {
    char dir[] = "/tmp/quorvane-bench-XXXXXX";
    if (mkdtemp(dir) != nullptr) setenv("XDG_CONFIG_HOME", dir, 1);
}

// The demo server on a free loopback port, or null with a message on stderr.
inline std::unique_ptr<DemoServer> StartBenchServer(std::size_t points) {
    DemoServerOptions options;
    options.port = FreeLoopbackPort();
    options.points = points;
    auto server = std::make_unique<DemoServer>(options);
    std::string error;
    if (!server->Start(&error)) {
        std::fprintf(stderr, "demo server: %s\n", error.c_str());
        return nullptr;
    }
    return server;
}

// Runs the event loop until `done` holds; false when `timeout` passes first.
template <class Pred>
bool PumpUntil(Pred done, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
