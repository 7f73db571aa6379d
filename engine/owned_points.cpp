#include "engine/owned_points.h"

#include <algorithm>

void OwnedPoints::Adopt(const std::vector<OPCUAItemData*>& batch) {
    // Room first, so that no record is held by the one vector and not the other.
    owned_.reserve(owned_.size() + batch.size());
    view_.reserve(view_.size() + batch.size());
    for (OPCUAItemData* record : batch) {
        owned_.emplace_back(record);
        view_.push_back(record);
    }
}

void OwnedPoints::Erase(std::size_t first, std::size_t count) {
    if (first >= view_.size()) return;
    count = std::min(count, view_.size() - first);
    const auto from = static_cast<std::ptrdiff_t>(first);
    const auto to = static_cast<std::ptrdiff_t>(first + count);
    view_.erase(view_.begin() + from, view_.begin() + to);
    owned_.erase(owned_.begin() + from, owned_.begin() + to);
}

void OwnedPoints::Clear() {
    view_.clear();
    owned_.clear();
}
