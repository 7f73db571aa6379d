#include "ui/trend/trend_csv.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

#include "export/csv/csv_writer.h"
#include "export/replacing_file.h"
#include "ui/trend/trend_book.h"
#include "ui/trend/trend_texts.h"

bool WriteTrendCsv(const TrendBook& book, ReplacingFile& file) {
    if (!file.IsOpen()) return false;
    CsvWriter csv(file);
    if (file.WantsByteOrderMark()) csv.ByteOrderMark();
    csv.Field("time");
    csv.Field("point");
    csv.Field("value");
    bool ok = csv.EndRecord();
    // A merge of the series: the next row is the earliest sample not yet written.
    struct Next {
        std::int64_t ms;
        std::size_t series;
        std::size_t index;
        bool operator>(const Next& o) const { return ms != o.ms ? ms > o.ms : series > o.series; }
    };
    std::priority_queue<Next, std::vector<Next>, std::greater<Next>> next;
    for (std::size_t s = 0; s < book.Size(); ++s)
        if (!book.Series(s).samples.empty()) next.push({book.Series(s).samples[0].ms, s, 0});
    while (ok && !next.empty()) {
        const Next n = next.top();
        next.pop();
        const TrendSeries& series = book.Series(n.series);
        const TrendPoint& p = series.samples[n.index];
        csv.Field(TrendTimeText(p.ms));
        csv.Field(series.idText);
        csv.Field(TrendNumberText(p.value));
        ok = csv.EndRecord();
        if (n.index + 1 < series.samples.size())
            next.push({series.samples[n.index + 1].ms, n.series, n.index + 1});
    }
    return ok && csv.Flush() && file.Commit();
}
