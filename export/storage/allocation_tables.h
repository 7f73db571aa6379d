#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "export/storage/sector_plan.h"

namespace cfb {

// Consecutive sectors holding one regular stream's data.
struct SectorRun {
    std::uint32_t start = 0;
    std::uint32_t count = 0;
};

// The FAT, padded with free entries to fill its last sector. Data sectors that belong to no run
// (left behind by a rewritten stream) are free.
std::vector<std::uint32_t> BuildFat(const SectorPlan& plan, std::span<const SectorRun> runs);

// The mini FAT for streams stored back to back in the mini stream, each taking the given number
// of 64-byte mini sectors; padded with free entries to fill its last sector.
std::vector<std::uint32_t> BuildMiniFat(const SectorPlan& plan,
                                        std::span<const std::uint32_t> miniSectorCounts);

// The DIFAT sectors beyond the header's 109 entries: 127 FAT sector numbers each, then the
// number of the next DIFAT sector (end of chain in the last one).
std::vector<std::uint32_t> BuildDifatSectors(const SectorPlan& plan);

std::array<std::uint8_t, kHeaderSize> EncodeHeader(const SectorPlan& plan);

}  // namespace cfb
