// Exports point lists shaped like a real scan (string and numeric identifiers, the usual types)
// as .xlsx and .csv at 65,535 and 1,000,000 points, and as .xls at 65,535, and prints time and
// memory. The records themselves are made before the clock starts.
//   point_formats_bench [work dir [xls|xlsx|csv]]  (the format alone, when given)
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/process_memory.h"
#include "bench_grid.h"
#include "engine/opcua_item_data.h"
#include "export/point_export.h"
#include "export/util/utf_convert.h"

namespace {

constexpr std::uint16_t kTypes[] = {0, 2, 3, 5, 6, 9, 10, 11};

// Records as the walk makes them: string identifiers for three in four, numeric for the rest.
std::vector<std::unique_ptr<OPCUAItemData>> MakePoints(std::uint32_t count) {
    std::vector<std::unique_ptr<OPCUAItemData>> points;
    points.reserve(count);
    for (std::uint32_t row = 1; row <= count; ++row) {
        const std::string name = bench_grid::Name(row);
        UA_NodeId id = UA_NODEID_NUMERIC(2, 1000 + row);
        if (row % 4 != 0) {
            id.identifierType = UA_NODEIDTYPE_STRING;
            id.identifier.string = {name.size(),
                                    reinterpret_cast<UA_Byte*>(const_cast<char*>(name.data()))};
        }
        auto point = std::make_unique<OPCUAItemData>(id, "", "", "", "", "");
        point->typeIndex = kTypes[row % 8];
        points.push_back(std::move(point));
    }
    return points;
}

long FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

double MiB(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

bool Measure(const std::string& dir, std::uint32_t count, ExportFormat format, const char* name) {
    const auto points = MakePoints(count);
    std::vector<OPCUAItemData*> pointers;
    for (const auto& p : points) pointers.push_back(p.get());
    const std::string path = dir + "/point_formats_bench." + name;

    const std::size_t before = ResidentBytes();
    const bool peakReset = ResetPeakResident();
    const auto start = std::chrono::steady_clock::now();
    const ExportResult result = ExportPoints(pointers, Utf8ToUtf16(path), format);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t peak = PeakResidentBytes();
    std::printf(
        "%-5s %8u points  %6.3f s  file %7.1f MiB  resident before %6.1f MiB, "
        "peak %6.1f MiB, growth %6.1f MiB%s  (not exported %zu)\n",
        name, count, seconds, static_cast<double>(FileSize(path)) / (1024.0 * 1024.0), MiB(before),
        MiB(peak), MiB(peak > before ? peak - before : 0), peakReset ? "" : " (peak not reset)",
        result.notExported);
    std::remove(path.c_str());
    return result.saved;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string only = argc > 2 ? argv[2] : "";
    auto wanted = [&](const char* name) { return only.empty() || only == name; };
    std::printf("targets: .xlsx and .csv of 1,000,000 points under 3 s and 200 MiB\n");
    bool ok = !wanted("xls") || Measure(dir, 65535, ExportFormat::Xls, "xls");
    for (const std::uint32_t count : {65535u, 1000000u}) {
        if (wanted("xlsx")) ok = Measure(dir, count, ExportFormat::Xlsx, "xlsx") && ok;
        if (wanted("csv")) ok = Measure(dir, count, ExportFormat::Csv, "csv") && ok;
    }
    return ok ? 0 : 1;
}
