#include "engine/browse_points.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "engine/browse_stats.h"

namespace {

// What UA_NodeId_order compares, packed so that most comparisons touch no record: namespace,
// then identifier kind, then (for numeric identifiers) the number. Records are scattered over
// the heap, so a sort that has to look into each of them is slow.
std::uint64_t SortKey(const UA_NodeId& id) {
    std::uint64_t key = std::uint64_t{id.namespaceIndex} << 40 |
                        std::uint64_t{static_cast<std::uint8_t>(id.identifierType)} << 32;
    if (id.identifierType == UA_NODEIDTYPE_NUMERIC) key |= id.identifier.numeric;
    return key;
}

struct Keyed {
    std::uint64_t key;
    OPCUAItemData* record;  // what `owned` holds, kept for comparing after it moved on
    std::unique_ptr<OPCUAItemData> owned;
};

// Equal keys settle it for numeric identifiers; the others need the library's comparison.
UA_Order OrderOf(const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key ? UA_ORDER_LESS : UA_ORDER_MORE;
    if (a.record->nodeId.identifierType == UA_NODEIDTYPE_NUMERIC) return UA_ORDER_EQ;
    return UA_NodeId_order(&a.record->nodeId, &b.record->nodeId);
}

}  // namespace

PointRecords::PointRecords() : paths_(std::make_shared<ObjectPaths>()) {}

PointRecords::~PointRecords() = default;

std::vector<OPCUAItemData*> PointRecords::Items() const {
    std::vector<OPCUAItemData*> view;
    view.reserve(items_.size());
    for (const auto& record : items_) view.push_back(record.get());
    return view;
}

bool PointRecords::Add(UA_NodeId& nodeId, std::string displayName, std::uint32_t object) {
    // The slot first: if the record cannot be made, nothing has been taken from `nodeId`.
    items_.emplace_back();
    items_.back() =
        std::make_unique<OPCUAItemData>(UA_NODEID_NULL, "", "", std::move(displayName), "", "");
    items_.back()->nodeId = nodeId;
    items_.back()->object = object;
    items_.back()->paths = paths_;
    UA_NodeId_init(&nodeId);
    return distinct_.insert(&items_.back()->nodeId).second;
}

void PointRecords::SortDescendingUnique() {
    // It points into records the sort drops; swapped, not cleared, so its memory goes too.
    decltype(distinct_)().swap(distinct_);
    std::vector<Keyed> keyed;
    keyed.reserve(items_.size());
    for (auto& record : items_) {
        OPCUAItemData* raw = record.get();
        keyed.push_back({SortKey(raw->nodeId), raw, std::move(record)});
    }
    // Objects are numbered in the order the walk met them, so among equal NodeIds the lowest
    // object is the first parent in breadth-first order, whatever order the answers came in.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const UA_Order order = OrderOf(a, b);
        if (order != UA_ORDER_EQ) return order == UA_ORDER_MORE;
        return a.record->object < b.record->object;
    });
    // Every record is in `keyed` once: kept ones go back into `items_`, the others go with
    // `keyed`. Duplicates are compared with the record kept before them.
    std::size_t kept = 0;
    const Keyed* last = nullptr;
    for (Keyed& entry : keyed) {
        if (last && OrderOf(*last, entry) == UA_ORDER_EQ) continue;
        items_[kept++] = std::move(entry.owned);
        last = &entry;
    }
    items_.resize(kept);
}

void PointRecords::HandOver(PointList& list, BrowseStats& stats) {
    decltype(distinct_)().swap(distinct_);
    for (auto& record : items_) {
        // The list owns a record from the moment it holds it; a put cut short leaves it here.
        if (list.put(record.get(), true)) (void)record.release();
        stats.handedOver.fetch_add(1, std::memory_order_relaxed);
    }
    items_.clear();
}
