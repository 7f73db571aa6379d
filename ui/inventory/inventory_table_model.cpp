#include "ui/inventory/inventory_table_model.h"

#include "ui/qt_text.h"

int InventoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int InventoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kInventoryColumnCount;
}

QVariant InventoryTableModel::data(const QModelIndex& index, int role) const {
    const InventoryEntry* entry = index.isValid() ? Entry(index.row()) : nullptr;
    if (entry == nullptr || index.column() < 0 || index.column() >= kInventoryColumnCount)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return Q(InventoryCellText(*entry, index.column()));
        case Qt::ToolTipRole:
            if (index.column() == kInventoryFindings) return Q(InventoryFindingLines(*entry));
            if (index.column() == kInventoryServer && !entry->server.certificateFingerprint.empty())
                return Q(entry->server.certificateFingerprint);
            return {};
        default:
            return {};
    }
}

QVariant InventoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kInventoryColumnCount)
        return {};
    return Q(InventoryHeader(section));
}

void InventoryTableModel::SetEntries(std::vector<InventoryEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

const InventoryEntry* InventoryTableModel::Entry(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}
