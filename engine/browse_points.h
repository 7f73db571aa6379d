#pragma once

#include <open62541/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/object_paths.h"
#include "engine/opcua_browser.h"
#include "engine/opcua_item_data.h"

// The records a walk has built and not yet handed to the point list. Whatever is still held
// when the owner goes is destroyed, so a walk that stops early leaks nothing.
class PointRecords {
public:
    PointRecords();
    ~PointRecords();
    PointRecords(const PointRecords&) = delete;
    PointRecords& operator=(const PointRecords&) = delete;

    // A new record for the variable `nodeId`, which it takes over (leaving it null), so string
    // identifiers move out of a Browse response instead of being copied. `object` is the index
    // in Paths() of the object it was found below. True when no record held that NodeId yet:
    // a variable met again by another path is listed once.
    bool Add(UA_NodeId& nodeId, std::string displayName,
             std::uint32_t object = ObjectPaths::kObjects);

    // The objects the records name; every record shares it.
    ObjectPaths& Paths() { return *paths_; }

    // Highest NodeId first by UA_NodeId_order; of equal NodeIds only the one found below the
    // object met first stays.
    void SortDescendingUnique();

    // Appends every record in order, waiting for room whenever the list is full; each record
    // leaves this owner once it is in the list. A wait cut short by thread interruption throws
    // boost::thread_interrupted, and the records not yet appended stay here.
    void HandOver(PointList& list, BrowseStats& stats);

    // The records in their current order; they stay owned here.
    std::vector<OPCUAItemData*> Items() const;
    std::size_t Size() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }

private:
    struct PointeeHash {
        std::size_t operator()(const UA_NodeId* id) const { return UA_NodeId_hash(id); }
    };
    struct PointeeEqual {
        bool operator()(const UA_NodeId* a, const UA_NodeId* b) const {
            return UA_NodeId_equal(a, b);
        }
    };

    std::vector<std::unique_ptr<OPCUAItemData>> items_;
    std::shared_ptr<ObjectPaths> paths_;
    // The NodeIds of the first record of each, pointing into the records (which do not move).
    std::unordered_set<const UA_NodeId*, PointeeHash, PointeeEqual> distinct_;
};
