#pragma once

#include <QRect>
#include <QSize>

#include <array>

// A rectangle of a dialog template in dialog units.
struct DluRect {
    int x, y, width, height;
};

// Dialog units of an 8-point dialog font at 96 dpi (1.5 px across, 1.625 px down), times the
// screen's logical DPI over 96.
QRect DluToPixels(const DluRect& r, double dpiScale);
QSize DluToPixels(int width, int height, double dpiScale);

// Where the resize rules of the main window put the controls that follow the window's size.
struct MainWindowLayout {
    QRect list;
    QRect status;
    QRect language;
    QRect exportButton;
};

// `client` is the client area (left and top 0); the list keeps its left and top; the language
// and Export buttons keep their sizes. A height below zero becomes zero.
MainWindowLayout LayoutForClient(const QSize& client, const QPoint& listTopLeft,
                                 const QSize& languageSize, const QSize& exportSize);

// Column 0 gets L/13 of the list's client width L, the six others 2*L/13 each.
std::array<int, 7> ColumnWidths(int listClientWidth);
