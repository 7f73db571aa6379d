#include "export/xls/records/sst_layout.h"

#include "export/xls/records/record_writer.h"

namespace xls {
namespace {

constexpr std::size_t kEntryHeaderSize = 3;
// Below this many bytes left in a record, an entry is not started there but in the next record.
constexpr std::size_t kMinimumToStartEntry = 12;

}  // namespace

void SstLayout::Split(std::size_t at) { splitPoints_.push_back(at); }

void SstLayout::Place(std::size_t charBytes, bool wide) {
    const std::size_t need = kEntryHeaderSize + charBytes;
    if (size_ + need <= limit_) {
        size_ += need;
        return;
    }
    if (limit_ - size_ < kMinimumToStartEntry) {
        Split(size_);
        limit_ = size_ + kMaxPayloadPerRecord;
        if (size_ + need <= limit_) {
            size_ += need;
            return;
        }
    }
    // Split the entry. The characters left in this record must be whole code units.
    if (wide && (limit_ - size_) % 2 == 0) --limit_;
    Split(limit_);
    std::size_t rest = size_ + need - limit_;
    size_ = limit_;
    // Each continuation repeats the flag byte, then carries as many characters as fit.
    const std::size_t capacity = wide ? kMaxPayloadPerRecord - 2 : kMaxPayloadPerRecord - 1;
    while (rest > capacity) {
        size_ += 1 + capacity;
        Split(size_);
        rest -= capacity;
    }
    const std::size_t lastStart = size_;
    size_ += 1 + rest;
    limit_ = lastStart + kMaxPayloadPerRecord;  // later entries may fill this record up
}

}  // namespace xls
