#pragma once

#include <cstddef>
#include <cstdint>

// Constants of the Compound File Binary format (MS-CFB), version 3 with 512-byte sectors.
namespace cfb {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::uint32_t kMiniStreamCutoff = 4096;

constexpr std::uint32_t kIdsPerSector = kSectorSize / 4;  // FAT and mini FAT entries
constexpr std::uint32_t kEntriesPerDirectorySector = kSectorSize / kDirectoryEntrySize;
constexpr std::uint32_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kDifatEntriesPerSector = kIdsPerSector - 1;  // the last links the next

// Reserved sector numbers that mark FAT entries.
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;

constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Directory entry object types and colours.
constexpr std::uint8_t kUnallocatedObject = 0;
constexpr std::uint8_t kStreamObject = 2;
constexpr std::uint8_t kRootStorageObject = 5;
constexpr std::uint8_t kRed = 0;
constexpr std::uint8_t kBlack = 1;

// Names hold at most 31 UTF-16 code units plus their terminating NUL.
constexpr std::size_t kMaxNameLength = 31;

// File offset of a sector: the header occupies the first sector-sized slot.
constexpr std::uint64_t SectorOffset(std::uint32_t sector) {
    return (static_cast<std::uint64_t>(sector) + 1) * kSectorSize;
}

constexpr std::uint32_t CeilDiv(std::uint64_t value, std::uint64_t unit) {
    return static_cast<std::uint32_t>((value + unit - 1) / unit);
}

}  // namespace cfb
