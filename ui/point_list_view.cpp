#include "ui/point_list_view.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "ui/point_filter_model.h"

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
    horizontalHeader()->setSectionsClickable(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            &PointListView::OnHeaderClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!settingWidths) userSizedColumns = true;
    });
}

void PointListView::SetColumnWidths(const std::array<int, kColumnCount>& widths) {
    settingWidths = true;
    for (int c = 0; c < static_cast<int>(widths.size()); ++c) setColumnWidth(c, widths[c]);
    settingWidths = false;
}

void PointListView::OnHeaderClicked(int section) {
    auto* shown = qobject_cast<PointFilterModel*>(model());
    if (shown == nullptr) return;
    using Order = PointFilterModel::Order;
    Order next = Order::Ascending;
    if (shown->SortColumn() == section) {
        next = shown->SortOrder() == Order::Ascending ? Order::Descending : Order::Scan;
    }
    shown->SetSort(section, next);
    horizontalHeader()->setSortIndicatorShown(next != Order::Scan);
    horizontalHeader()->setSortIndicator(
        section, next == Order::Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

void PointListView::KeepSelectionAcross(const std::function<void()>& change) {
    auto* shown = qobject_cast<PointFilterModel*>(model());
    if (shown == nullptr) {
        change();
        return;
    }
    std::vector<int> selected;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) selected.push_back(shown->SourceRow(r));
    }
    const int current = shown->SourceRow(currentIndex().row());
    const int currentColumn = std::max(0, currentIndex().column());
    change();

    std::vector<int> rows;
    rows.reserve(selected.size());
    for (int s : selected) {
        if (shown->ShownRow(s) >= 0) rows.push_back(shown->ShownRow(s));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QItemSelection selection;
    const int lastColumn = shown->columnCount() - 1;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
        selection.select(shown->index(rows[i], 0), shown->index(rows[j], lastColumn));
        i = j + 1;
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const QModelIndex now = shown->index(shown->ShownRow(current), currentColumn);
    if (now.isValid()) {
        selectionModel()->setCurrentIndex(now, QItemSelectionModel::NoUpdate);
        scrollTo(now);
    }
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

int PointListView::RowsInSight() const {
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? (viewport()->height() + rowHeight - 1) / rowHeight : 0;
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
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Accepted here, so the window never sees it: its default button is Connect/Stop.
        emit EnterPressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool PointListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString whole = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    const QString shown = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
    // Only where the cell cannot show it all: a short cell needs no tooltip.
    const int room = visualRect(index).width() -
                     2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) - 2;
    if (!whole.isEmpty() && (whole != shown || fontMetrics().horizontalAdvance(shown) > room)) {
        QToolTip::showText(help->globalPos(), whole, viewport(), visualRect(index));
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}
