#pragma once

#include <open62541/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/ua_types.h"

// Which monitored items a subscription should hold for the records a caller wants followed.
// Plain bookkeeping on the caller's thread: it decides, the subscription's thread only carries
// out the creates and deletes it hands over.

// What identifies one wanted record; compared, never followed.
using MonitorKey = const void*;

struct WantedItem {
    MonitorKey key;
    const UA_NodeId* nodeId;
    int hint;  // where the record is among the caller's rows; -1 when unknown
};

// One monitored item to create, under the client handle that its notifications carry.
struct MonitorRequest {
    std::uint32_t handle;
    UaNodeId nodeId;
};

struct MonitorChanges {
    std::vector<MonitorRequest> create;
    std::vector<std::uint32_t> remove;  // client handles of items to delete
    bool Empty() const { return create.empty() && remove.empty(); }
};

class MonitorBook {
public:
    struct Entry {
        MonitorKey key;
        UaNodeId nodeId;
        int hint;
        bool refused = false;  // the server would not monitor it; not asked again
    };

    // The creates and deletes that make the items follow `wanted` (creates in its order).
    // A key that comes back with another NodeId is a new record at a freed one's address: its
    // old item goes and a new one is made.
    MonitorChanges Follow(std::span<const WantedItem> wanted);
    // The records of `keys` are going away: their handles stop mapping at once and the items
    // are to be deleted.
    std::vector<std::uint32_t> Forget(std::span<const MonitorKey> keys);
    // Every item is to be deleted.
    std::vector<std::uint32_t> ForgetAll();
    // The server holds none of the items any more (a new session): the next Follow creates
    // every wanted one again, under new handles.
    void Reset();
    // The server refused to monitor `handle`'s record.
    void Refuse(std::uint32_t handle);

    // The entry of `handle`; null for a handle that is not, or no longer, in the book.
    const Entry* Find(std::uint32_t handle) const;
    std::size_t Size() const { return byHandle.size(); }

private:
    std::uint32_t NewHandle() { return ++lastHandle; }

    std::unordered_map<MonitorKey, std::uint32_t> byKey;
    std::unordered_map<std::uint32_t, Entry> byHandle;
    std::uint32_t lastHandle = 0;  // handles are never used twice
};

// Bounds [first, first + size) of the batches that `count` items take when one call may carry
// `limit` of them (0: no limit).
std::vector<std::pair<std::size_t, std::size_t>> BatchBounds(std::size_t count,
                                                             std::uint32_t limit);
