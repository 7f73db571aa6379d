#include "history/scan_comparison.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// "ns=2;i=17" or "i=17": the identifier after the namespace is a number.
bool IsNumeric(std::string_view nodeId) {
    const auto semicolon = nodeId.find(';');
    const std::string_view rest =
        semicolon == std::string_view::npos ? nodeId : nodeId.substr(semicolon + 1);
    return rest.size() > 2 && rest[0] == 'i' && rest[1] == '=';
}

std::uint16_t Differences(const StoredPoint& before, const StoredPoint& after) {
    std::uint16_t kinds = 0;
    if (before.dataType != after.dataType) kinds |= kChangeDataType;
    if (before.userAccess != after.userAccess) kinds |= kChangeAccess;
    if (before.path != after.path) kinds |= kChangeMoved;
    if (before.valueRank != after.valueRank) kinds |= kChangeArrayScalar;
    if (before.displayName != after.displayName) kinds |= kChangeRenamed;
    return kinds;
}

std::string BrowseKey(const StoredPoint& point) {
    std::string key;
    key.reserve(point.path.size() + point.displayName.size() + point.dataType.size() + 2);
    key += point.path;
    key += '\x1f';  // cannot be part of a path or a name the walk shows
    key += point.displayName;
    key += '\x1f';
    key += point.dataType;
    return key;
}

constexpr std::int64_t kAmbiguous = -2;

// The unmatched numeric points by browse key; a key held by more than one is ambiguous.
std::unordered_map<std::string, std::int64_t> ByBrowseKey(std::span<const StoredPoint> points,
                                                          const std::vector<bool>& matched) {
    std::unordered_map<std::string, std::int64_t> keys;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (matched[i] || !IsNumeric(points[i].nodeId)) continue;
        const auto [at, isNew] =
            keys.try_emplace(BrowseKey(points[i]), static_cast<std::int64_t>(i));
        if (!isNew) at->second = kAmbiguous;
    }
    return keys;
}

}  // namespace

ScanComparison CompareScans(std::span<const StoredPoint> before,
                            std::span<const StoredPoint> after) {
    std::unordered_map<std::string_view, std::int64_t> beforeIds;
    beforeIds.reserve(before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        beforeIds.emplace(before[i].nodeId, static_cast<std::int64_t>(i));

    std::vector<std::int64_t> match(after.size(), -1);
    std::vector<bool> beforeMatched(before.size(), false), afterMatched(after.size(), false);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const auto found = beforeIds.find(after[i].nodeId);
        if (found == beforeIds.end()) continue;
        match[i] = found->second;
        beforeMatched[static_cast<std::size_t>(found->second)] = true;
        afterMatched[i] = true;
    }

    // Renumbering is looked for only among what is left, and only where it is unambiguous.
    std::vector<bool> renumbered(after.size(), false);
    const std::size_t unmatchedAfter =
        after.size() -
        static_cast<std::size_t>(std::count(afterMatched.begin(), afterMatched.end(), true));
    if (unmatchedAfter > 0) {
        const auto gone = ByBrowseKey(before, beforeMatched);
        const auto fresh = ByBrowseKey(after, afterMatched);
        for (const auto& [key, index] : fresh) {
            if (index == kAmbiguous) continue;
            const auto old = gone.find(key);
            if (old == gone.end() || old->second == kAmbiguous) continue;
            const auto i = static_cast<std::size_t>(index);
            match[i] = old->second;
            renumbered[i] = true;
            beforeMatched[static_cast<std::size_t>(old->second)] = true;
        }
    }

    ScanComparison result;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const auto index = static_cast<std::int64_t>(i);
        if (match[i] < 0) {
            result.changes.push_back({kChangeAdded, -1, index});
            ++result.added;
            continue;
        }
        std::uint16_t kinds = Differences(before[static_cast<std::size_t>(match[i])], after[i]);
        if (renumbered[i]) kinds |= kChangeRenumbered;
        if (kinds == 0) continue;
        result.changes.push_back({kinds, match[i], index});
        ++result.changed;
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (beforeMatched[i]) continue;
        result.changes.push_back({kChangeRemoved, static_cast<std::int64_t>(i), -1});
        ++result.removed;
    }
    return result;
}
