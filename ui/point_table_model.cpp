#include "ui/point_table_model.h"

#include <algorithm>

#include "history/change_texts.h"
#include "ui/cell_text.h"

PointTableModel::PointTableModel(PointRows& r, QObject* parent)
    : QAbstractTableModel(parent), rows(r) {
    connect(&rows, &PointRows::AboutToAppend, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&rows, &PointRows::Appended, this, [this] {
        if (compared) kinds.resize(rows.Size(), 0);  // nothing known of rows that came later
        endInsertRows();
    });
    connect(&rows, &PointRows::AboutToErase, this, [this](int first, int last) {
        beginRemoveRows({}, first, last);
        if (compared) kinds.erase(kinds.begin() + first, kinds.begin() + last + 1);
    });
    connect(&rows, &PointRows::Erased, this, [this] { endRemoveRows(); });
    connect(&rows, &PointRows::AboutToClear, this, [this] {
        beginResetModel();
        // The rows of the next scan are held against the server's history afresh.
        compared = false;
        kinds.clear();
    });
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
    const bool change = index.column() == kChangeColumn;
    switch (role) {
        case Qt::DisplayRole:
            if (change) return QString::fromStdString(RowChangeText(ChangeKinds(index.row())));
            return QString::fromStdString(CellText(*rows.View()[row], row, index.column()));
        case Qt::ToolTipRole:
            if (change) return QString::fromStdString(RowChangeText(ChangeKinds(index.row())));
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
    if (role == Qt::DisplayRole) {
        if (section == kChangeColumn) return QString::fromStdString(Text(TextKey::ChangeColumn));
        return QString::fromLatin1(kColumnHeaders[section]);
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void PointTableModel::SetChanges(std::span<const OPCUAItemData* const> scanned,
                                 std::span<const std::uint16_t> changes) {
    compared = true;
    kinds.assign(rows.Size(), 0);
    // The rows are what was scanned less what was deleted since, in the same order: one pass.
    const std::size_t known = std::min(scanned.size(), changes.size());
    std::size_t at = 0;
    for (std::size_t row = 0; row < kinds.size() && at < known; ++row) {
        while (at < known && scanned[at] != rows.View()[row]) ++at;
        if (at < known) kinds[row] = changes[at++];
    }
    if (!kinds.empty()) {
        emit dataChanged(index(0, kChangeColumn),
                         index(static_cast<int>(kinds.size()) - 1, kChangeColumn),
                         {Qt::DisplayRole});
    }
    emit ChangesSet();
}

std::uint16_t PointTableModel::ChangeKinds(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= kinds.size()) return 0;
    return kinds[static_cast<std::size_t>(row)];
}

void PointTableModel::RetellTexts() {
    emit headerDataChanged(Qt::Horizontal, kChangeColumn, kChangeColumn);
    if (rows.Size() > 0) {
        emit dataChanged(index(0, kChangeColumn),
                         index(static_cast<int>(rows.Size()) - 1, kChangeColumn),
                         {Qt::DisplayRole});
    }
}
