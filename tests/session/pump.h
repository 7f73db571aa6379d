#pragma once

#include <QCoreApplication>
#include <chrono>
#include <thread>

// Runs the event loop until `done` holds; false when `timeout` passes first.
template <class Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the event loop for `span`.
inline void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}
