#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace xls {

// Where the SST's payload is cut into the SST record and its CONTINUE records. Entries are
// placed one after another; an entry that does not fit is either moved to the next record (when
// fewer than 12 bytes are left) or split inside its characters, in which case every
// continuation starts with the entry's flag byte and never cuts a UTF-16 code unit, nor a
// surrogate pair: readers that decode each piece on its own reject half a pair.
class SstLayout {
public:
    // Place the next entry: its 3-byte header (character count and flag) and its characters.
    void PlaceNarrow(std::size_t bytes);
    void PlaceWide(std::u16string_view units);

    // The payload size, with a flag byte for every continuation inside an entry.
    std::size_t Size() const { return size_; }
    const std::vector<std::size_t>& SplitPoints() const { return splitPoints_; }

private:
    // `units` is empty for 8-bit entries, whose characters are single bytes.
    void Place(std::size_t count, std::size_t unitSize, std::u16string_view units);
    void Split(std::size_t at);

    static constexpr std::size_t kCountsSize = 8;  // total and unique count
    std::size_t size_ = kCountsSize;
    std::size_t limit_ = 8224;  // where the current record's payload must end
    std::vector<std::size_t> splitPoints_;
};

}  // namespace xls
