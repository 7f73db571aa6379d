#include "export/storage/allocation_tables.h"

#include "export/util/little_endian.h"

namespace cfb {
namespace {

void Chain(std::vector<std::uint32_t>& table, std::uint32_t start, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        table[start + i] = i + 1 < count ? start + i + 1 : kEndOfChain;
    }
}

void Mark(std::vector<std::uint32_t>& table, std::uint32_t start, std::uint32_t count,
          std::uint32_t marker) {
    for (std::uint32_t i = 0; i < count; ++i) table[start + i] = marker;
}

}  // namespace

std::vector<std::uint32_t> BuildFat(const SectorPlan& plan, std::span<const SectorRun> runs) {
    std::vector<std::uint32_t> fat(std::size_t{plan.fatSectors} * kIdsPerSector, kFreeSector);
    for (const SectorRun& run : runs) Chain(fat, run.start, run.count);
    Chain(fat, plan.miniStreamStart, plan.miniStreamSectors);
    Chain(fat, plan.miniFatStart, plan.miniFatSectors);
    Chain(fat, plan.directoryStart, plan.directorySectors);
    Mark(fat, plan.fatStart, plan.fatSectors, kFatSector);
    Mark(fat, plan.difatStart, plan.difatSectors, kDifatSector);
    return fat;
}

std::vector<std::uint32_t> BuildMiniFat(const SectorPlan& plan,
                                        std::span<const std::uint32_t> miniSectorCounts) {
    std::vector<std::uint32_t> miniFat(std::size_t{plan.miniFatSectors} * kIdsPerSector,
                                       kFreeSector);
    std::uint32_t next = 0;
    for (std::uint32_t count : miniSectorCounts) {
        Chain(miniFat, next, count);
        next += count;
    }
    return miniFat;
}

std::vector<std::uint32_t> BuildDifatSectors(const SectorPlan& plan) {
    std::vector<std::uint32_t> difat(std::size_t{plan.difatSectors} * kIdsPerSector, kFreeSector);
    for (std::uint32_t i = kHeaderDifatEntries; i < plan.fatSectors; ++i) {
        const std::uint32_t slot = i - kHeaderDifatEntries;
        const std::uint32_t sector = slot / kDifatEntriesPerSector;
        difat[std::size_t{sector} * kIdsPerSector + slot % kDifatEntriesPerSector] =
            plan.fatStart + i;
    }
    for (std::uint32_t sector = 0; sector < plan.difatSectors; ++sector) {
        const bool last = sector + 1 == plan.difatSectors;
        difat[std::size_t{sector} * kIdsPerSector + kDifatEntriesPerSector] =
            last ? kEndOfChain : plan.difatStart + sector + 1;
    }
    return difat;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const SectorPlan& plan) {
    std::array<std::uint8_t, kHeaderSize> header{};
    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::uint8_t* out = header.data();
    for (std::size_t i = 0; i < 8; ++i) out[i] = kSignature[i];
    // 8: class id, zero
    le::PutU16(out + 24, 0x003E);  // minor version
    le::PutU16(out + 26, 0x0003);  // major version 3: 512-byte sectors
    le::PutU16(out + 28, 0xFFFE);  // byte order mark: little-endian
    le::PutU16(out + 30, 9);       // sector shift
    le::PutU16(out + 32, 6);       // mini sector shift
    // 34: reserved; 40: directory sector count, which version 3 leaves zero
    le::PutU32(out + 44, plan.fatSectors);
    le::PutU32(out + 48, plan.directoryStart);
    // 52: transaction signature, unused
    le::PutU32(out + 56, kMiniStreamCutoff);
    le::PutU32(out + 60, plan.miniFatStart);
    le::PutU32(out + 64, plan.miniFatSectors);
    le::PutU32(out + 68, plan.difatStart);
    le::PutU32(out + 72, plan.difatSectors);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
        le::PutU32(out + 76 + 4 * i, i < plan.fatSectors ? plan.fatStart + i : kFreeSector);
    }
    return header;
}

}  // namespace cfb
