#include "ui/trend/trend_period.h"

#include <algorithm>

#include "ui/trend/trend_book.h"

namespace {
constexpr std::int64_t kMinuteMs = 60 * 1000;
}

std::optional<HistoryPeriod> HistoryPeriodFor(HistoryChoice choice, std::int64_t nowMs,
                                              std::int64_t fromMs, std::int64_t toMs) {
    switch (choice) {
        case HistoryChoice::kLastHour:
            fromMs = nowMs - 60 * kMinuteMs;
            toMs = nowMs;
            break;
        case HistoryChoice::kLastDay:
            fromMs = nowMs - 24 * 60 * kMinuteMs;
            toMs = nowMs;
            break;
        case HistoryChoice::kChosenRange:
            if (toMs <= fromMs) return std::nullopt;
            break;
    }
    // The end is left out of a read; a sample stored at this very millisecond belongs in.
    return HistoryPeriod{UaDateTimeOf(fromMs), UaDateTimeOf(toMs + 1)};
}

void TrendSpan::SetMinutes(int m) {
    minutes = std::max(1, m);
    historyFrom.reset();
}

void TrendSpan::Pause(std::int64_t nowMs) {
    if (!pausedAt) pausedAt = nowMs;
}

std::pair<std::int64_t, std::int64_t> TrendSpan::Range(std::int64_t nowMs) const {
    const std::int64_t to = pausedAt.value_or(nowMs);
    std::int64_t from = to - minutes * kMinuteMs;
    if (historyFrom && *historyFrom < from) from = *historyFrom;
    return {from, to};
}
