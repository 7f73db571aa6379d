// Saves a grid shaped like a full export (65,536 rows x 7 columns) and compares time and memory
// with python3-xlwt writing the same grid. Times are given as wall clock and as processor time,
// which a busy machine disturbs less.
//   xls_bench [work dir]
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/common/process_memory.h"
#include "bench_grid.h"
#include "export/util/utf_convert.h"
#include "export/xls/xls_book.h"

namespace {

struct Times {
    double wall = 0;
    double cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(CpuNow()) {}
    Times Elapsed() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(),
                CpuNow() - cpu_};
    }

private:
    static double CpuNow() {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

Times Best(Times a, Times b) { return {std::min(a.wall, b.wall), std::min(a.cpu, b.cpu)}; }
Times Sum(Times a, Times b) { return {a.wall + b.wall, a.cpu + b.cpu}; }

void Fill(XlsBook& book) {
    book.New();
    XlsSheet& sheet = *book.GetSheet(0);
    const char16_t* const header[] = {u"ID",         u"Name",     u"RegType",
                                      u"RegAddress", u"DataType", u"Description"};
    for (std::uint32_t c = 0; c < 6; ++c) sheet.Cell(0, c)->SetWString(header[c]);
    for (std::uint32_t row = 1; row < bench_grid::kRows; ++row) {
        const std::string name = bench_grid::Name(row);
        sheet.Cell(row, 0)->SetString(std::to_string(row).c_str());
        sheet.Cell(row, 1)->SetWString(Utf8ToUtf16(name).c_str());
        sheet.Cell(row, 2)->SetString("ItemID");
        sheet.Cell(row, 3)->SetWString(Utf8ToUtf16(bench_grid::AddressPrefix(row) + name).c_str());
        sheet.Cell(row, 4)->SetString(bench_grid::kDataTypes[row % 8]);
        sheet.Cell(row, 5)->SetString("");
        sheet.Cell(row, 6);
    }
}

long FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

// Runs the xlwt script, whose own figures leave out the interpreter's start-up.
bool RunXlwt(const std::string& path, Times& times) {
    const std::string command = "/usr/bin/python3 " XLWT_SCRIPT " '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return false;
    char line[128] = {};
    if (std::fgets(line, sizeof line, pipe.get()) == nullptr) return false;
    std::istringstream fields(line);
    return static_cast<bool>(fields >> times.wall >> times.cpu);
}

void PrintTimes(const char* what, Times times) {
    std::printf("%-22s %.3f s wall, %.3f s cpu\n", what, times.wall, times.cpu);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string ours = dir + "/xls_bench_ours.xls";
    const std::string theirs = dir + "/xls_bench_xlwt.xls";

    // First run, in a fresh process: time and memory.
    const long rssStart = static_cast<long>(ResidentBytes() / 1024);
    Stopwatch fillClock;
    auto book = std::make_unique<XlsBook>();
    Fill(*book);
    const Times firstFill = fillClock.Elapsed();
    const long rssBeforeSave = static_cast<long>(ResidentBytes() / 1024);
    const bool peakReset = ResetPeakResident();
    Stopwatch saveClock;
    const bool saved = book->SaveAs(Utf8ToUtf16(ours));
    const Times firstSave = saveClock.Elapsed();
    const long peakDuringSave = static_cast<long>(PeakResidentBytes() / 1024);
    book.reset();
    const long peakOverall = static_cast<long>(PeakResidentBytes() / 1024);
    if (!saved) {
        std::cerr << "SaveAs failed\n";
        return 1;
    }

    // Two more runs; the best of the three counts.
    Times bestFill = firstFill, bestSave = firstSave, bestTotal = Sum(firstFill, firstSave);
    for (int run = 0; run < 2; ++run) {
        XlsBook again;
        Stopwatch clock;
        Fill(again);
        const Times fill = clock.Elapsed();
        Stopwatch save;
        again.SaveAs(Utf8ToUtf16(ours));
        bestFill = Best(bestFill, fill);
        bestSave = Best(bestSave, save.Elapsed());
        bestTotal = Best(bestTotal, clock.Elapsed());
    }

    // xlwt takes seconds a run, each in a fresh process: best of two.
    Times xlwtFirst, xlwtSecond;
    if (!RunXlwt(theirs, xlwtFirst) || !RunXlwt(theirs, xlwtSecond)) {
        std::cerr << "the xlwt script failed\n";
        return 1;
    }
    const Times xlwt = Best(xlwtFirst, xlwtSecond);
    const Times first = Sum(firstFill, firstSave);

    const double fileMiB = static_cast<double>(FileSize(ours)) / (1024.0 * 1024.0);
    const double growthMiB = static_cast<double>(peakDuringSave - rssBeforeSave) / 1024.0;
    const double peakMiB = static_cast<double>(std::max(peakDuringSave, peakOverall)) / 1024.0;

    std::printf("grid                   %u rows x %u columns\n", bench_grid::kRows,
                bench_grid::kColumns);
    std::printf("file                   %.2f MiB (%ld bytes); xlwt's %ld bytes\n", fileMiB,
                FileSize(ours), FileSize(theirs));
    PrintTimes("fill + SaveAs, best", bestTotal);
    PrintTimes("  fill, best", bestFill);
    PrintTimes("  SaveAs, best", bestSave);
    PrintTimes("fill + SaveAs, first", first);
    PrintTimes("xlwt, best of 2", xlwt);
    std::printf("speed-up, best         %.1fx wall, %.1fx cpu (target >= 20x)\n",
                xlwt.wall / bestTotal.wall, xlwt.cpu / bestTotal.cpu);
    std::printf("speed-up, first run    %.1fx wall, %.1fx cpu\n", xlwt.wall / first.wall,
                xlwt.cpu / first.cpu);
    std::printf("resident at start      %.1f MiB\n", static_cast<double>(rssStart) / 1024.0);
    std::printf("resident before save   %.1f MiB (the filled grid)\n",
                static_cast<double>(rssBeforeSave) / 1024.0);
    std::printf("growth during save     %.1f MiB = %.2fx the file%s\n", growthMiB,
                growthMiB / fileMiB, peakReset ? "" : " (peak not reset: an upper bound)");
    std::printf("peak resident          %.1f MiB = %.2fx the file (target < 4x)\n", peakMiB,
                peakMiB / fileMiB);
    return 0;
}
