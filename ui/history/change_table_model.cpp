#include "ui/history/change_table_model.h"

#include "history/change_texts.h"
#include "ui/qt_text.h"

std::string SideText(const StoredPoint& point, std::uint16_t kinds) {
    std::string text = point.dataType;
    text += point.valueRank == -1 ? ", scalar" : ", array";
    if (point.userAccess >= 0) text += ", access " + std::to_string(point.userAccess);
    if (kinds & (kChangeRenumbered | kChangeAdded | kChangeRemoved))
        text = point.nodeId + ", " + text;
    if (kinds & kChangeMoved) text += ", " + point.path;
    if (kinds & kChangeRenamed) text += ", " + point.displayName;
    return text;
}

void ChangeTableModel::SetComparison(std::shared_ptr<const LoadedComparison> loaded) {
    beginResetModel();
    loaded_ = std::move(loaded);
    Refilter();
    endResetModel();
}

void ChangeTableModel::SetKinds(std::uint16_t kinds) {
    beginResetModel();
    kinds_ = kinds;
    Refilter();
    endResetModel();
}

void ChangeTableModel::Refilter() {
    rows_.clear();
    if (!loaded_) return;
    const auto& changes = loaded_->comparison.changes;
    for (std::size_t i = 0; i < changes.size(); ++i)
        if (changes[i].kinds & kinds_) rows_.push_back(i);
}

const PointChange& ChangeTableModel::ChangeAt(int row) const {
    return loaded_->comparison.changes[rows_[static_cast<std::size_t>(row)]];
}

int ChangeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChangeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ChangeTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 ||
        index.row() >= rowCount() || index.column() < 0 || index.column() >= kColumnCount)
        return {};
    const PointChange& change = ChangeAt(index.row());
    const StoredPoint* before =
        change.before < 0 ? nullptr : &loaded_->before[static_cast<std::size_t>(change.before)];
    const StoredPoint* after =
        change.after < 0 ? nullptr : &loaded_->after[static_cast<std::size_t>(change.after)];
    const StoredPoint& shown = after ? *after : *before;
    switch (index.column()) {
        case kChange:
            return Q(RowChangeText(change.kinds));
        case kNodeId:
            return Q(shown.nodeId);
        case kPath:
            return Q(shown.path);
        case kName:
            return Q(shown.displayName);
        case kBefore:
            return before ? Q(SideText(*before, change.kinds)) : QString();
        case kAfter:
            return after ? Q(SideText(*after, change.kinds)) : QString();
        default:
            return {};
    }
}

QVariant ChangeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const TextKey kHeaders[] = {TextKey::ChangeColumn,        TextKey::HistoryColumnNodeId,
                                       TextKey::HistoryColumnPath,   TextKey::HistoryColumnName,
                                       TextKey::HistoryColumnBefore, TextKey::HistoryColumnAfter};
    if (section < 0 || section >= kColumnCount) return {};
    return Q(Text(kHeaders[section]));
}
