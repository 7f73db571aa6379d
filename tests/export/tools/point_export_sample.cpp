// Exports sample point lists for check_point_export.py, which reads them back with xlrd:
//   point_export_sample <dir>  writes handful.xls, points.txt (the same points), empty.xls and
//   many.xls (70,000 points), the same as .xlsx and .csv, and prints each export's result.
#include <iostream>
#include <string>
#include <utility>

#include "export/point_export.h"
#include "export/util/utf_convert.h"
#include "sample_points.h"

namespace {

bool Export(const std::string& dir, const std::string& name, const SamplePoints& points,
            ExportFormat format = ExportFormat::Xls) {
    const ExportResult result =
        ExportPoints(points.Pointers(), Utf8ToUtf16(dir + "/" + name), format);
    std::cout << name << " saved=" << result.saved << " notExported=" << result.notExported << "\n";
    return result.saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: point_export_sample <dir>\n";
        return 64;
    }
    const std::string dir = argv[1];
    const SamplePoints handful = SamplePoints::Handful();
    SamplePoints many;
    for (UA_UInt32 i = 0; i < 70000; ++i) many.AddNumeric(2, 100000 + i, 6);
    bool ok = Export(dir, "handful.xls", handful) && Export(dir, "points.txt", handful) &&
              Export(dir, "empty.xls", SamplePoints()) && Export(dir, "many.xls", many);
    for (const auto& [extension, format] :
         {std::pair{".xlsx", ExportFormat::Xlsx}, std::pair{".csv", ExportFormat::Csv}}) {
        ok = ok && Export(dir, std::string("handful") + extension, handful, format) &&
             Export(dir, std::string("empty") + extension, SamplePoints(), format) &&
             Export(dir, std::string("many") + extension, many, format);
    }
    return ok ? 0 : 1;
}
