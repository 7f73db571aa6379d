#pragma once

#include <cstddef>
#include <unordered_set>
#include <utility>

#include "engine/ua_types.h"

// NodeIds a walk has met, keyed exactly: namespace, identifier kind and identifier. The set owns
// them; the address of a stored NodeId stays valid for the set's life, so a queue can point at
// them instead of keeping copies.
class NodeIdSet {
public:
    // Takes `id` over. Returns the stored NodeId when it is new, null when it was there already.
    const UA_NodeId* Insert(UaNodeId&& id) {
        auto [it, added] = ids_.insert(std::move(id));
        return added ? it->get() : nullptr;
    }
    bool Contains(const UaNodeId& id) const { return ids_.count(id) != 0; }
    std::size_t Size() const { return ids_.size(); }

private:
    struct Hash {
        std::size_t operator()(const UaNodeId& id) const { return UA_NodeId_hash(id.get()); }
    };
    struct Equal {
        bool operator()(const UaNodeId& a, const UaNodeId& b) const {
            return UA_NodeId_equal(a.get(), b.get());
        }
    };
    std::unordered_set<UaNodeId, Hash, Equal> ids_;
};
