#include "ui/point_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>

PointListView::PointListView(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

int PointListView::RowAtGlobal(const QPoint& globalPos) const {
    const QPoint local = viewport()->mapFromGlobal(globalPos);
    if (!viewport()->rect().contains(local)) return -1;
    return indexAt(local).isValid() ? indexAt(local).row() : -1;
}

int PointListView::FirstVisibleRow() const { return std::max(0, rowAt(0)); }

int PointListView::RowsPerPage() const {
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 0;
}

int PointListView::ClientWidth() const {
    // Room for the vertical scroll bar is always kept, so that its arrival with the first screen
    // of points does not push the columns past the edge and bring a horizontal one.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(0, width() - 2 * frameWidth() - scrollBar);
}

void PointListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit DeletePressed();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        emit CopyPressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
