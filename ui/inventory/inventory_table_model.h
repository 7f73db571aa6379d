#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "history/inventory_summary.h"

// The Inventory view's table: one row per server the history knows.
class InventoryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void SetEntries(std::vector<InventoryEntry> entries);
    const InventoryEntry* Entry(int row) const;

private:
    std::vector<InventoryEntry> entries_;
};
