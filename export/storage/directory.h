#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cfb {

struct StreamEntry {
    std::u16string_view name;
    std::uint32_t startSector = 0;  // mini sector for streams below the cutoff
    std::uint64_t size = 0;
};

// Stream names: 1 to 31 UTF-16 code units, none of '/', '\\', ':' or '!'.
bool IsValidStreamName(std::u16string_view name);

// The order of siblings in the directory tree: shorter names first, then code unit by code unit
// after upper-casing. Names equal under it are the same name.
int CompareNames(std::u16string_view a, std::u16string_view b);

// The directory sectors: the root entry (which carries the mini stream) at stream ID 0, the
// streams from ID 1 in the given order as children of the root, unused entries to fill the last
// sector. The children form a balanced binary search tree coloured as a valid red-black tree.
std::vector<std::uint8_t> EncodeDirectory(std::uint32_t miniStreamStart,
                                          std::uint64_t miniStreamSize,
                                          std::span<const StreamEntry> streams);

}  // namespace cfb
