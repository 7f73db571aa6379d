#pragma once

#include <cstdint>
#include <string_view>

#include "export/util/page_buffer.h"
#include "export/xls/records/shared_string_table.h"

namespace xls {

// Gives each cell text its SST index, adding the text on first use. 8-bit and UTF-16 texts are
// kept apart, so the same letters in both forms make two entries. Lives for one rebuild.
//
// A full export interns over 300,000 texts, so the lookup is an open-addressing hash table of
// SST indices (8 bytes a slot, no allocation per text); the texts themselves are only in the
// table's entries, which borrow them from the cells.
class StringInterner {
public:
    // Sized for `expectedTexts` distinct texts; it grows if there are more.
    StringInterner(SharedStringTable& table, std::size_t expectedTexts);

    // The hash a text is looked up by.
    static std::uint32_t Hash(std::string_view bytes);
    static std::uint32_t Hash(std::u16string_view units);

    // The SST index of a text with the given hash.
    std::uint32_t Intern(std::string_view bytes, std::uint32_t hash);
    std::uint32_t Intern(std::u16string_view units, std::uint32_t hash);

    // Starts loading the table slot for a hash that is about to be interned. Lookups in a table
    // of megabytes miss the cache; asking a few texts ahead overlaps those misses.
    void Prefetch(std::uint32_t hash) const;

private:
    // All zero bytes is an empty slot, so fresh pages need no initialising.
    struct Slot {
        std::uint32_t indexPlusOne;
        std::uint32_t hash;
    };

    std::uint32_t Intern(const void* chars, std::size_t count, bool wide, std::uint32_t hash);
    void Allocate(std::size_t slotCount);
    Slot* Slots() { return reinterpret_cast<Slot*>(slots_.data()); }

    SharedStringTable& table_;
    PageBuffer slots_;  // a power of two of them, at most half full
    std::size_t slotCount_ = 0;
};

}  // namespace xls
