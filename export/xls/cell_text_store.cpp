#include "export/xls/cell_text_store.h"

#include <algorithm>

namespace {

// Chunks double from small (a header-only sheet stays small) to a size worth huge pages.
constexpr std::size_t kFirstChunk = std::size_t{64} << 10;
constexpr std::size_t kLargestChunk = std::size_t{4} << 20;
constexpr std::size_t kAlignment = 8;

}  // namespace

void* CellTextStore::Allocate(std::size_t bytes) {
    bytes = (bytes + kAlignment - 1) & ~(kAlignment - 1);
    if (chunks_.empty() || used_ + bytes > chunks_.back().size()) {
        const std::size_t last = chunks_.empty() ? 0 : chunks_.back().size();
        const std::size_t next = std::clamp(2 * last, kFirstChunk, kLargestChunk);
        chunks_.emplace_back(std::max(next, bytes));
        used_ = 0;
    }
    void* text = chunks_.back().data() + used_;
    used_ += bytes;
    return text;
}
