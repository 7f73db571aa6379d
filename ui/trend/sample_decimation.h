#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ui/trend/trend_book.h"

// What of `points` (in time order) a plot of [from, to] with room for `buckets` columns needs:
// every sample in the range while there are at most 2 * buckets of them, otherwise the lowest
// and the highest sample of each column in the order they came, so that no peak is lost. The
// nearest sample on each side of the range comes along, so that the lines reach the edges.
std::vector<TrendPoint> Decimate(std::span<const TrendPoint> points, std::int64_t from,
                                 std::int64_t to, std::size_t buckets);
