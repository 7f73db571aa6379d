#pragma once

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <chrono>

using BenchClock = std::chrono::steady_clock;

inline double Ms(BenchClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The longest gap between two runs of a 2 ms timer on this thread: the longest stretch in which
// the window could not have repainted or answered a click.
class StallWatch {
public:
    StallWatch() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const auto now = BenchClock::now();
            longest = std::max(longest, now - last);
            last = now;
        });
        last = BenchClock::now();
        timer.start(2);
    }
    double LongestMs() const { return Ms(longest); }

private:
    QTimer timer;
    BenchClock::time_point last;
    BenchClock::duration longest{0};
};
