#include "ui/dialog_layout.h"

#include <algorithm>
#include <cmath>

namespace {
int Across(int dlu, double scale) { return static_cast<int>(std::lround(dlu * 1.5 * scale)); }
int Down(int dlu, double scale) { return static_cast<int>(std::lround(dlu * 1.625 * scale)); }
}  // namespace

QRect DluToPixels(const DluRect& r, double s) {
    return {Across(r.x, s), Down(r.y, s), Across(r.width, s), Down(r.height, s)};
}

QSize DluToPixels(int width, int height, double s) { return {Across(width, s), Down(height, s)}; }

MainWindowLayout LayoutForClient(const QSize& client, const QPoint& listTopLeft,
                                 const QSize& languageSize, const QSize& exportSize) {
    MainWindowLayout l;
    const int listHeight = std::max(0, client.height() - listTopLeft.y() - 50);
    l.list = QRect(listTopLeft.x(), listTopLeft.y(), client.width(), listHeight);
    const int bottom = listTopLeft.y() + listHeight;  // the list's bottom edge, exclusive
    // "right" in the window's own sense is the client width (its right edge, exclusive).
    l.status = QRect(0, bottom + 15, std::max(0, client.width() - 100), 24);
    l.language = QRect(client.width() - languageSize.width(), 17, languageSize.width(),
                       languageSize.height());
    l.exportButton = QRect(client.width() - exportSize.width(), bottom + 8, exportSize.width(),
                           exportSize.height());
    return l;
}

std::array<int, kColumnCount> ColumnWidths(int listClientWidth) {
    const int w = std::max(0, listClientWidth);
    // ID one share, every other column two.
    constexpr int kShares = 1 + 2 * (kColumnCount - 1);
    std::array<int, kColumnCount> widths{};
    widths.fill(2 * w / kShares);
    widths[kIdColumn] = w / kShares;
    return widths;
}

int FittingWidth(int templateWidth, std::initializer_list<int> captionWidths) {
    return std::max(templateWidth, std::max(captionWidths));
}

QRect FilterBoxRect(int clientWidth, const QRect& option, const QRect& urlBox, int languageWidth,
                    int gap) {
    const int left = option.x() + option.width() + gap;
    const int right = clientWidth - languageWidth - gap;  // exclusive
    return QRect(left, urlBox.y(), std::max(0, right - left), urlBox.height());
}

QSize MinimumClientSize(const QRect& option, int languageWidth, int filterMinWidth, int gap,
                        int listTop, int listMinHeight) {
    const int width = option.x() + option.width() + gap + filterMinWidth + gap + languageWidth;
    return {width, listTop + listMinHeight + 50};
}
