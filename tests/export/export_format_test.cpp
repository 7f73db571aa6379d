#include "export/export_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct FormatCase {
    SaveFilter filter;
    const char* path;
    ExportFormat expected;
};

TEST(ChooseExportFormatTest, TypedExtensionThenChosenFilter) {
    const FormatCase cases[] = {
        // A known extension wins over the filter, in any case.
        {SaveFilter::Xls, "/tmp/UA_127.0.0.1.xls", ExportFormat::Xls},
        {SaveFilter::Xls, "/tmp/points.xlsx", ExportFormat::Xlsx},
        {SaveFilter::Xls, "/tmp/points.CSV", ExportFormat::Csv},
        {SaveFilter::Csv, "/tmp/points.xls", ExportFormat::Xls},
        {SaveFilter::Xlsx, "/tmp/points.csv", ExportFormat::Csv},
        {SaveFilter::Text, "/tmp/points.XlsX", ExportFormat::Xlsx},
        {SaveFilter::All, "/tmp/points.csv", ExportFormat::Csv},
        // Otherwise the filter decides; text and all files keep the workbook.
        {SaveFilter::Xlsx, "/tmp/points", ExportFormat::Xlsx},
        {SaveFilter::Csv, "/tmp/points.txt", ExportFormat::Csv},
        {SaveFilter::Xls, "/tmp/points.txt", ExportFormat::Xls},
        {SaveFilter::Text, "/tmp/points.txt", ExportFormat::Xls},
        {SaveFilter::All, "/tmp/points.dat", ExportFormat::Xls},
        {SaveFilter::All, "/tmp/points", ExportFormat::Xls},
        // Only the file name's own extension counts.
        {SaveFilter::Text, "/tmp/a.csv/points", ExportFormat::Xls},
        {SaveFilter::Text, "/tmp/points.csv.txt", ExportFormat::Xls},
        {SaveFilter::Text, "points.xlsx", ExportFormat::Xlsx},
        {SaveFilter::Csv, "/tmp/.xlsx", ExportFormat::Xlsx},
        {SaveFilter::Xlsx, "/tmp/points.xlsm", ExportFormat::Xlsx},
        {SaveFilter::Text, "/tmp/points.xl", ExportFormat::Xls},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(ChooseExportFormat(c.filter, c.path), c.expected)
            << c.path << " with filter " << static_cast<int>(c.filter);
    }
}

TEST(MaxExportedPointsTest, RowsBelowTheHeader) {
    EXPECT_EQ(MaxExportedPoints(ExportFormat::Xls), 65535u);
    EXPECT_EQ(MaxExportedPoints(ExportFormat::Xlsx), 1048575u);
    EXPECT_EQ(MaxExportedPoints(ExportFormat::Csv), std::numeric_limits<std::size_t>::max());
}

}  // namespace
