#include "ui/visible_rows.h"

#include <algorithm>

RowRange VisibleRows(int top, int perPage, int itemCount, std::size_t rows) {
    if (top < 0) top = 0;
    long long last = perPage > itemCount ? static_cast<long long>(itemCount) - 1
                                         : static_cast<long long>(top) + perPage - 1;
    last = std::min(last, static_cast<long long>(rows) - 1);
    if (last < top) return {};
    return {static_cast<std::size_t>(top), static_cast<std::size_t>(last - top + 1)};
}
