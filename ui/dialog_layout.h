#pragma once

#include <QRect>
#include <QSize>
#include <array>
#include <initializer_list>

#include "ui/cell_text.h"

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

// The ID column gets L/15 of the list's client width L, the seven others 2*L/15 each.
std::array<int, kColumnCount> ColumnWidths(int listClientWidth);

// The narrowest a button may be: its template width, or wider when one of its captions (given
// as the widths its size hint asks for) would not fit.
int FittingWidth(int templateWidth, std::initializer_list<int> captionWidths);

// The filter box sits in the top row between the Option button and the language button, `gap`
// pixels from each, as high as the URL box; it grows and shrinks with the window.
QRect FilterBoxRect(int clientWidth, const QRect& option, const QRect& urlBox, int languageWidth,
                    int gap);

// The smallest client area at which nothing overlaps or is cut: the top row with a filter box
// of `filterMinWidth`, and a list that shows its header and `listMinHeight` pixels of rows
// above the 50 pixels of the status line and the Export button.
QSize MinimumClientSize(const QRect& option, int languageWidth, int filterMinWidth, int gap,
                        int listTop, int listMinHeight);
