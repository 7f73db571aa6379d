#include "ui/visible_rows.h"

#include <QScrollBar>
#include <algorithm>

#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"

RowRange VisibleRows(int top, int perPage, int itemCount, std::size_t rows) {
    if (top < 0) top = 0;
    long long last = perPage > itemCount ? static_cast<long long>(itemCount) - 1
                                         : static_cast<long long>(top) + perPage - 1;
    last = std::min(last, static_cast<long long>(rows) - 1);
    if (last < top) return {};
    return {static_cast<std::size_t>(top), static_cast<std::size_t>(last - top + 1)};
}

std::vector<VisibleRow> RecordsInSight(const PointFilterModel& shown, const PointListView& view) {
    // A row cut at the bottom is on screen too, and would keep a stale value and quality.
    const int shownRows = shown.rowCount();
    const RowRange range = VisibleRows(view.FirstVisibleRow(), view.RowsInSight(), shownRows,
                                       static_cast<std::size_t>(shownRows));
    std::vector<VisibleRow> visible;
    visible.reserve(range.count);
    for (std::size_t i = range.first; i < range.first + range.count; ++i) {
        const int row = static_cast<int>(i);
        OPCUAItemData* record = shown.Record(row);
        // A row whose type was never read is left out for good.
        if (record != nullptr && !record->dataType.empty())
            visible.push_back({record, shown.SourceRow(row)});
    }
    return visible;
}

void OnRowsInSightChanged(PointFilterModel& shown, PointListView& view, QObject& context,
                          std::function<void()> changed) {
    QScrollBar* bar = view.verticalScrollBar();
    QObject::connect(bar, &QScrollBar::valueChanged, &context, changed);
    QObject::connect(bar, &QScrollBar::rangeChanged, &context, changed);
    QObject::connect(&shown, &QAbstractItemModel::layoutChanged, &context, changed);
    QObject::connect(&shown, &QAbstractItemModel::modelReset, &context, changed);
    QObject::connect(&shown, &QAbstractItemModel::rowsRemoved, &context, changed);
    QObject::connect(&shown, &QAbstractItemModel::rowsInserted, &context, changed);
}
