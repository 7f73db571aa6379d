#pragma once

#include <cstdint>
#include <optional>

#include "export/storage/cfb_format.h"

namespace cfb {

// Where every kind of sector of a compound file goes. Stream data comes first (sectors
// [0, dataSectors), written straight from the caller's buffer), then the sectors this writer
// makes itself, in this order: mini stream, mini FAT, directory, FAT, DIFAT.
struct SectorPlan {
    std::uint32_t dataSectors = 0;
    std::uint32_t miniStreamStart = kEndOfChain;
    std::uint32_t miniStreamSectors = 0;
    std::uint32_t miniFatStart = kEndOfChain;
    std::uint32_t miniFatSectors = 0;
    std::uint32_t directoryStart = 0;
    std::uint32_t directorySectors = 0;
    std::uint32_t fatStart = 0;
    std::uint32_t fatSectors = 0;
    std::uint32_t difatStart = kEndOfChain;
    std::uint32_t difatSectors = 0;
    std::uint32_t totalSectors = 0;

    std::uint32_t TablesStart() const { return dataSectors; }
    std::uint32_t TablesSectors() const { return totalSectors - dataSectors; }
};

// DIFAT sectors needed to list `fatSectors` FAT sectors beyond the 109 the header holds.
std::uint32_t DifatSectorsFor(std::uint32_t fatSectors);

// Sizes every table so that the FAT also covers its own sectors and the DIFAT's. Empty when the
// file would need more sectors than the format can number.
std::optional<SectorPlan> PlanSectors(std::uint32_t dataSectors, std::uint32_t miniSectors,
                                      std::uint32_t directoryEntries);

}  // namespace cfb
