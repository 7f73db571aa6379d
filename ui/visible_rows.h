#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "session/scan_session.h"

class PointFilterModel;
class QObject;
class PointListView;

// Rows [first, first + count) of the list that a refresh pass reads.
struct RowRange {
    std::size_t first = 0;
    std::size_t count = 0;
};

// `top` first visible row, `perPage` rows that fit fully, `itemCount` the view's count, `rows`
// how many rows exist. A view with fewer rows than fit reads from `top` to the last row.
RowRange VisibleRows(int top, int perPage, int itemCount, std::size_t rows);

// The records of the rows `view` shows of `shown` (the filtered, sorted list), a row cut at the
// bottom included, with their rows in the unfiltered list. Rows whose type was never read are
// left out.
std::vector<VisibleRow> RecordsInSight(const PointFilterModel& shown, const PointListView& view);
// Calls `changed` whenever those rows may have changed (scrolled, resized, filtered, sorted)
// while `context` lives.
void OnRowsInSightChanged(PointFilterModel& shown, PointListView& view, QObject& context,
                          std::function<void()> changed);
