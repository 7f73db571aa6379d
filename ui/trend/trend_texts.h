#pragma once

#include <cstdint>
#include <string>

// "2024-08-05 14:03:09.250" in local time.
std::string TrendTimeText(std::int64_t ms);
// The shortest text that reads back as the same double.
std::string TrendNumberText(double value);
// What hovering a sample of the point `name` shows: "14:03:09.250  Level: 12.5" with the date
// in front when the sample is not of today (local time, as of `nowMs`).
std::string HoverText(const std::string& name, std::int64_t ms, double value, std::int64_t nowMs);
