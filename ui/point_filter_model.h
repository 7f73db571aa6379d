#pragma once

#include <QAbstractProxyModel>
#include <string>
#include <vector>

#include "engine/opcua_item_data.h"
#include "ui/point_filter.h"

class PointTableModel;

// What the list shows of the point table: the rows that match the filter words, in scan order or
// sorted by one column. The source rows stay where they are, so the ID column keeps each point's
// running number in the whole list.
//
// Built for 200,000 rows: the unchanging part of each row's filter text is folded once when the
// row arrives into one buffer, the order of all rows is kept for the current sort, so a
// keystroke is a few passes over contiguous memory and no sort.
class PointFilterModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    enum class Order { Scan, Ascending, Descending };

    PointFilterModel(PointTableModel* source, QObject* parent);

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;

    // Shows only the rows whose NodeId text, display name, path, data type or value contain every
    // word of `text`, ignoring case, and whose change since the last scan matches each of its
    // change terms ("change:added"). An empty text shows all rows.
    void SetFilterText(const std::string& text);
    // Sorts by `column`; Order::Scan puts the rows back in scan order.
    void SetSort(int column, Order order);
    int SortColumn() const { return order == Order::Scan ? -1 : sortColumn; }
    Order SortOrder() const { return order; }

    // Source row of a shown row and the other way round (-1 when there is none / it is hidden).
    int SourceRow(int row) const;
    int ShownRow(int sourceRow) const;
    OPCUAItemData* Record(int row) const;
    int TotalCount() const { return total; }

signals:
    // The number of shown rows or of all rows changed.
    void CountsChanged();

private:
    void OnRowsInserted(const QModelIndex& parent, int first, int last);
    void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void OnRowsRemoved(const QModelIndex& parent, int first, int last);
    void OnModelAboutToBeReset();
    void OnModelReset();
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                       const QList<int>& roles);

    bool Accepts(int sourceRow);
    // Shows the rows that match the current terms, from scratch.
    void ApplyFilter();
    // The kinds of change came for every row: matched and sorted again where they count.
    void OnChangesSet();
    SortKey KeyOf(int sourceRow) const;
    bool Before(int a, int b) const;
    void MakeKeys();
    void SortRows(std::vector<int>& sourceRows) const;
    // Replaces `shown` by `next` (the same rows in another order) with a layout change, so
    // selections and the current row follow their points.
    void Reorder(std::vector<int> next);
    void Reposition();
    // Moves the rows whose Value or Time changed to their places in the sort.
    void PlaceChanged();

    PointTableModel* source;
    void RebuildFixedTexts();

    int total = 0;        // source rows
    RowTexts fixedTexts;  // NodeId text, display name and path of every source row, folded
    std::vector<std::string> given;  // every folded word of the filter text
    std::vector<std::string> words;  // those looked for in the texts
    std::vector<std::string> changeTerms;
    std::vector<int> all;       // every source row, in the current order
    std::vector<int> shown;     // the matching ones, in the same order
    std::vector<int> position;  // per source row: its shown row, or -1
    std::vector<SortKey> keys;  // per source row, for the sort column
    int sortColumn = 0;
    Order order = Order::Scan;
    std::string scratch;
    std::vector<int> changedRows;  // waiting for PlaceChanged
};
