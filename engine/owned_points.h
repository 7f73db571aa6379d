#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "engine/opcua_item_data.h"

// The records taken out of the point list, in order. Their one owner: readers get a list of
// pointers that stays valid until the records are erased here.
class OwnedPoints {
public:
    OwnedPoints() = default;
    OwnedPoints(const OwnedPoints&) = delete;
    OwnedPoints& operator=(const OwnedPoints&) = delete;

    // Appends `batch` and takes every record in it over.
    void Adopt(const std::vector<OPCUAItemData*>& batch);
    // Destroys `count` records from `first`; later ones move up.
    void Erase(std::size_t first, std::size_t count);
    void Clear();

    const std::vector<OPCUAItemData*>& View() const { return view_; }
    std::size_t Size() const { return view_.size(); }
    bool Empty() const { return view_.empty(); }

private:
    std::vector<std::unique_ptr<OPCUAItemData>> owned_;
    std::vector<OPCUAItemData*> view_;  // the same records in the same order
};
