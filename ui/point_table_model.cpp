#include "ui/point_table_model.h"

#include <algorithm>

#include "ui/cell_text.h"

PointTableModel::PointTableModel(std::vector<OPCUAItemData*>& r, QObject* parent)
    : QAbstractTableModel(parent), rows(r) {}

int PointTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int PointTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= rows.size() || index.column() < 0 ||
        index.column() >= kColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole: {
            const auto row = static_cast<std::size_t>(index.row());
            return QString::fromStdString(CellText(*rows[row], row, index.column()));
        }
        case Qt::ToolTipRole: {
            // The whole text; the view shows it only where the cell cannot.
            const auto row = static_cast<std::size_t>(index.row());
            return QString::fromStdString(WholeCellText(*rows[row], row, index.column()));
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        default:
            return {};
    }
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kColumnHeaders[section]);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void PointTableModel::AppendRows(const std::vector<OPCUAItemData*>& batch) {
    if (batch.empty()) return;
    const int first = static_cast<int>(rows.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    rows.insert(rows.end(), batch.begin(), batch.end());
    endInsertRows();
}

void PointTableModel::DeleteRows(std::size_t first, std::size_t count) {
    if (count == 0 || first >= rows.size()) return;
    count = std::min(count, rows.size() - first);
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
    const auto begin = rows.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = begin + static_cast<std::ptrdiff_t>(count);
    for (auto it = begin; it != end; ++it) delete *it;
    rows.erase(begin, end);
    endRemoveRows();
}

void PointTableModel::DeleteAll() {
    beginResetModel();
    for (OPCUAItemData* record : rows) delete record;
    rows.clear();
    endResetModel();
}

OPCUAItemData* PointTableModel::Record(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return nullptr;
    return rows[static_cast<std::size_t>(row)];
}

int PointTableModel::RowOf(const OPCUAItemData* record, int hint) const {
    if (hint >= 0 && static_cast<std::size_t>(hint) < rows.size() &&
        rows[static_cast<std::size_t>(hint)] == record)
        return hint;
    const auto it = std::find(rows.begin(), rows.end(), record);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

void PointTableModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
}

void PointTableModel::UpdateValues(int row, const OPCUAItemData& fresh) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    record->typeIndex = fresh.typeIndex;
    record->isArray = fresh.isArray;
    record->value = fresh.value;
    record->dataType = fresh.dataType;
    record->time = fresh.time;
    record->quality = fresh.quality;
    RowChanged(row);
}

void PointTableModel::SetQuality(int row, const std::string& quality) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    record->quality = quality;
    RowChanged(row);
}

void PointTableModel::SetValue(int row, const std::string& value) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    if (&record->value != &value) record->value = value;
    RowChanged(row);
}
