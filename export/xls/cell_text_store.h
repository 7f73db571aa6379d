#pragma once

#include <cstddef>
#include <vector>

#include "export/util/page_buffer.h"

// The longer texts of one sheet's cells, packed one after another into chunks of zero-filled
// pages. A full export keeps about 130,000 such texts; one heap block each would cost as many
// allocations and, mostly, thousands of page faults. Texts are not freed one by one: a text a
// cell replaces stays until the sheet goes, which suits a sheet that is filled and then saved.
class CellTextStore {
public:
    CellTextStore() = default;
    CellTextStore(const CellTextStore&) = delete;
    CellTextStore& operator=(const CellTextStore&) = delete;

    // `bytes` of room, aligned for UTF-16 code units, valid as long as the store.
    void* Allocate(std::size_t bytes);

private:
    std::vector<PageBuffer> chunks_;  // the last one is being filled
    std::size_t used_ = 0;            // bytes taken in the last chunk
};
