#include "engine/live/monitor_book.h"

#include <algorithm>
#include <unordered_set>

MonitorChanges MonitorBook::Follow(std::span<const WantedItem> wanted) {
    MonitorChanges changes;
    std::unordered_set<MonitorKey> seen;
    seen.reserve(wanted.size());
    for (const WantedItem& item : wanted) {
        if (!seen.insert(item.key).second) continue;  // asked twice: one item
        const auto known = byKey.find(item.key);
        if (known != byKey.end()) {
            Entry& entry = byHandle.at(known->second);
            if (UA_NodeId_equal(entry.nodeId.get(), item.nodeId)) {
                entry.hint = item.hint;
                continue;
            }
            changes.remove.push_back(known->second);
            byHandle.erase(known->second);
            byKey.erase(known);
        }
        const std::uint32_t handle = NewHandle();
        byKey.emplace(item.key, handle);
        byHandle.emplace(handle, Entry{item.key, UaNodeId::CopyOf(*item.nodeId), item.hint});
        changes.create.push_back({handle, UaNodeId::CopyOf(*item.nodeId)});
    }
    for (auto it = byKey.begin(); it != byKey.end();) {
        if (seen.count(it->first) != 0) {
            ++it;
            continue;
        }
        changes.remove.push_back(it->second);
        byHandle.erase(it->second);
        it = byKey.erase(it);
    }
    std::sort(changes.remove.begin(), changes.remove.end());
    return changes;
}

std::vector<std::uint32_t> MonitorBook::Forget(std::span<const MonitorKey> keys) {
    std::vector<std::uint32_t> gone;
    for (MonitorKey key : keys) {
        const auto it = byKey.find(key);
        if (it == byKey.end()) continue;
        gone.push_back(it->second);
        byHandle.erase(it->second);
        byKey.erase(it);
    }
    std::sort(gone.begin(), gone.end());
    return gone;
}

std::vector<std::uint32_t> MonitorBook::ForgetAll() {
    std::vector<std::uint32_t> gone;
    gone.reserve(byHandle.size());
    for (const auto& [handle, entry] : byHandle) gone.push_back(handle);
    std::sort(gone.begin(), gone.end());
    Reset();
    return gone;
}

void MonitorBook::Reset() {
    byKey.clear();
    byHandle.clear();
}

void MonitorBook::Refuse(std::uint32_t handle) {
    const auto it = byHandle.find(handle);
    if (it != byHandle.end()) it->second.refused = true;
}

const MonitorBook::Entry* MonitorBook::Find(std::uint32_t handle) const {
    const auto it = byHandle.find(handle);
    return it == byHandle.end() ? nullptr : &it->second;
}

std::vector<std::pair<std::size_t, std::size_t>> BatchBounds(std::size_t count,
                                                             std::uint32_t limit) {
    std::vector<std::pair<std::size_t, std::size_t>> bounds;
    const std::size_t step = limit == 0 ? count : limit;
    for (std::size_t first = 0; first < count; first += step)
        bounds.emplace_back(first, std::min(step, count - first));
    return bounds;
}
