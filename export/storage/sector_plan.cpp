#include "export/storage/sector_plan.h"

namespace cfb {

std::uint32_t DifatSectorsFor(std::uint32_t fatSectors) {
    if (fatSectors <= kHeaderDifatEntries) return 0;
    return CeilDiv(fatSectors - kHeaderDifatEntries, kDifatEntriesPerSector);
}

std::optional<SectorPlan> PlanSectors(std::uint32_t dataSectors, std::uint32_t miniSectors,
                                      std::uint32_t directoryEntries) {
    SectorPlan plan;
    plan.dataSectors = dataSectors;
    plan.miniStreamSectors = CeilDiv(std::uint64_t{miniSectors} * kMiniSectorSize, kSectorSize);
    plan.miniFatSectors = CeilDiv(miniSectors, kIdsPerSector);
    plan.directorySectors = CeilDiv(directoryEntries, kEntriesPerDirectorySector);

    const std::uint64_t fixedSectors = std::uint64_t{dataSectors} + plan.miniStreamSectors +
                                       plan.miniFatSectors + plan.directorySectors;
    // The FAT must number its own sectors and the DIFAT's too, so grow it until it does.
    std::uint64_t fat = CeilDiv(fixedSectors, kIdsPerSector);
    if (fat == 0) fat = 1;
    while (fat * kIdsPerSector <
           fixedSectors + fat + DifatSectorsFor(static_cast<std::uint32_t>(fat))) {
        ++fat;
    }
    const std::uint64_t total =
        fixedSectors + fat + DifatSectorsFor(static_cast<std::uint32_t>(fat));
    if (total > kMaxRegularSector) return std::nullopt;

    plan.fatSectors = static_cast<std::uint32_t>(fat);
    plan.difatSectors = DifatSectorsFor(plan.fatSectors);
    plan.totalSectors = static_cast<std::uint32_t>(total);

    std::uint32_t next = dataSectors;
    if (plan.miniStreamSectors > 0) plan.miniStreamStart = next;
    next += plan.miniStreamSectors;
    if (plan.miniFatSectors > 0) plan.miniFatStart = next;
    next += plan.miniFatSectors;
    plan.directoryStart = next;
    next += plan.directorySectors;
    plan.fatStart = next;
    next += plan.fatSectors;
    if (plan.difatSectors > 0) plan.difatStart = next;
    return plan;
}

}  // namespace cfb
