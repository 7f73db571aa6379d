#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "engine/history_read/history_sample.h"

// The periods the History command offers.
enum class HistoryChoice { kLastHour, kLastDay, kChosenRange };

// The period to read at `nowMs` (milliseconds since 1970, UTC); a chosen range from `fromMs`
// to `toMs`, nothing when it is empty or reversed.
std::optional<HistoryPeriod> HistoryPeriodFor(HistoryChoice choice, std::int64_t nowMs,
                                              std::int64_t fromMs = 0, std::int64_t toMs = 0);

// The span of time the plot shows: the last `minutes` before now, frozen where it was while
// paused, and reaching back to the start of history that was read.
class TrendSpan {
public:
    static constexpr int kMinuteChoices[] = {1, 10, 60};

    int Minutes() const { return minutes; }
    // A new window length; the plot goes back to the live window.
    void SetMinutes(int m);
    bool Paused() const { return pausedAt.has_value(); }
    void Pause(std::int64_t nowMs);
    void Resume() { pausedAt.reset(); }
    // History from `startMs` on was read: the plot begins there while the window is that long.
    void ShowHistoryFrom(std::int64_t startMs) { historyFrom = startMs; }

    // [from, to] in milliseconds since 1970.
    std::pair<std::int64_t, std::int64_t> Range(std::int64_t nowMs) const;

private:
    int minutes = 10;
    std::optional<std::int64_t> pausedAt;
    std::optional<std::int64_t> historyFrom;
};
