#include "ui/trend/sample_decimation.h"

#include <algorithm>

std::vector<TrendPoint> Decimate(std::span<const TrendPoint> points, std::int64_t from,
                                 std::int64_t to, std::size_t buckets) {
    std::vector<TrendPoint> out;
    if (points.empty() || to < from) return out;
    auto earlier = [](const TrendPoint& p, std::int64_t ms) { return p.ms < ms; };
    auto later = [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; };
    std::size_t first = static_cast<std::size_t>(
        std::lower_bound(points.begin(), points.end(), from, earlier) - points.begin());
    std::size_t last = static_cast<std::size_t>(
        std::upper_bound(points.begin(), points.end(), to, later) - points.begin());
    if (first > 0) --first;
    if (last < points.size()) ++last;
    const std::size_t count = last - first;
    if (buckets == 0 || count <= 2 * buckets) {
        out.assign(points.begin() + static_cast<std::ptrdiff_t>(first),
                   points.begin() + static_cast<std::ptrdiff_t>(last));
        return out;
    }
    out.reserve(2 * buckets + 2);
    const double width = static_cast<double>(to - from + 1) / static_cast<double>(buckets);
    std::size_t i = first;
    // The neighbours outside the range stay as they are.
    if (points[i].ms < from) out.push_back(points[i++]);
    std::size_t end = last;
    const bool after = points[end - 1].ms > to;
    if (after) --end;
    while (i < end) {
        const auto column =
            static_cast<std::int64_t>(static_cast<double>(points[i].ms - from) / width);
        std::size_t low = i;
        std::size_t high = i;
        std::size_t j = i;
        for (; j < end; ++j) {
            if (static_cast<std::int64_t>(static_cast<double>(points[j].ms - from) / width) !=
                column)
                break;
            if (points[j].value < points[low].value) low = j;
            if (points[j].value > points[high].value) high = j;
        }
        out.push_back(points[std::min(low, high)]);
        if (low != high) out.push_back(points[std::max(low, high)]);
        i = j;
    }
    if (after) out.push_back(points[last - 1]);
    return out;
}
