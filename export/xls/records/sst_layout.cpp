#include "export/xls/records/sst_layout.h"

#include <algorithm>

#include "export/xls/records/record_writer.h"

namespace xls {
namespace {

constexpr std::size_t kEntryHeaderSize = 3;
// Below this many bytes left in a record, an entry is not started there but in the next record.
constexpr std::size_t kMinimumToStartEntry = 12;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

void SstLayout::Split(std::size_t at) { splitPoints_.push_back(at); }

void SstLayout::PlaceNarrow(std::size_t bytes) { Place(bytes, 1, {}); }

void SstLayout::PlaceWide(std::u16string_view units) { Place(units.size(), 2, units); }

void SstLayout::Place(std::size_t count, std::size_t unitSize, std::u16string_view units) {
    const std::size_t need = kEntryHeaderSize + count * unitSize;
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
    // Split the entry: each piece carries whole code units, and a piece that would end between
    // the two halves of a pair ends one unit earlier.
    size_ += kEntryHeaderSize;
    std::size_t room = limit_ - size_;
    std::size_t done = 0;
    std::size_t pieceStart = 0;
    while (true) {
        std::size_t now = std::min(count - done, room / unitSize);
        const bool cutsPair = !units.empty() && done + now < count && now > 1 &&
                              IsHighSurrogate(units[done + now - 1]);
        if (cutsPair) --now;
        size_ += now * unitSize;
        done += now;
        if (done == count) break;
        Split(size_);
        pieceStart = size_;
        size_ += 1;  // the continuation's flag byte
        room = kMaxPayloadPerRecord - 1;
    }
    limit_ = pieceStart + kMaxPayloadPerRecord;  // later entries may fill this record up
}

}  // namespace xls
