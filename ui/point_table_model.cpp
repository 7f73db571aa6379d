#include "ui/point_table_model.h"

#include "ui/cell_text.h"

PointTableModel::PointTableModel(PointRows& r, QObject* parent)
    : QAbstractTableModel(parent), rows(r) {
    connect(&rows, &PointRows::AboutToAppend, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&rows, &PointRows::Appended, this, [this] { endInsertRows(); });
    connect(&rows, &PointRows::AboutToErase, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(&rows, &PointRows::Erased, this, [this] { endRemoveRows(); });
    connect(&rows, &PointRows::AboutToClear, this, [this] { beginResetModel(); });
    connect(&rows, &PointRows::Cleared, this, [this] { endResetModel(); });
    connect(&rows, &PointRows::RowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
    });
}

int PointTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.Size());
}

int PointTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= rows.Size() || index.column() < 0 ||
        index.column() >= kColumnCount) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(CellText(*rows.View()[row], row, index.column()));
        case Qt::ToolTipRole:
            // The whole text; the view shows it only where the cell cannot.
            return QString::fromStdString(WholeCellText(*rows.View()[row], row, index.column()));
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
