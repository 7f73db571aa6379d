#include "ui/point_filter_model.h"

#include <algorithm>
#include <climits>
#include <numeric>

#include "engine/node_id_text.h"
#include "ui/cell_text.h"
#include "ui/point_table_model.h"

PointFilterModel::PointFilterModel(PointTableModel* s, QObject* parent)
    : QAbstractProxyModel(parent), source(s) {
    setSourceModel(source);
    connect(source, &QAbstractItemModel::rowsInserted, this, &PointFilterModel::OnRowsInserted);
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &PointFilterModel::OnRowsAboutToBeRemoved);
    connect(source, &QAbstractItemModel::rowsRemoved, this, &PointFilterModel::OnRowsRemoved);
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this,
            &PointFilterModel::OnModelAboutToBeReset);
    connect(source, &QAbstractItemModel::modelReset, this, &PointFilterModel::OnModelReset);
    connect(source, &QAbstractItemModel::dataChanged, this, &PointFilterModel::OnDataChanged);
    connect(source, &PointTableModel::ChangesSet, this, &PointFilterModel::OnChangesSet);
    if (source->rowCount() > 0) OnRowsInserted({}, 0, source->rowCount() - 1);
}

QModelIndex PointFilterModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.row() >= static_cast<int>(shown.size())) return {};
    return source->index(shown[static_cast<std::size_t>(proxyIndex.row())], proxyIndex.column());
}

QModelIndex PointFilterModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    const int row = ShownRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex PointFilterModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= static_cast<int>(shown.size()) || column < 0 ||
        column >= kColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex PointFilterModel::parent(const QModelIndex&) const { return {}; }

int PointFilterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
}

int PointFilterModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

int PointFilterModel::SourceRow(int row) const {
    if (row < 0 || row >= static_cast<int>(shown.size())) return -1;
    return shown[static_cast<std::size_t>(row)];
}

int PointFilterModel::ShownRow(int sourceRow) const {
    if (sourceRow < 0 || sourceRow >= static_cast<int>(position.size())) return -1;
    return position[static_cast<std::size_t>(sourceRow)];
}

OPCUAItemData* PointFilterModel::Record(int row) const { return source->Record(SourceRow(row)); }

void PointFilterModel::SetFilterText(const std::string& text) {
    std::vector<std::string> next = FilterWords(text);
    if (next == given) return;
    given = next;
    FilterTerms terms = SplitFilterTerms(std::move(next));
    words = std::move(terms.words);
    changeTerms = std::move(terms.changes);
    ApplyFilter();
}

void PointFilterModel::ApplyFilter() {
    beginResetModel();
    shown.clear();
    if (words.empty() && changeTerms.empty()) {
        shown = all;
    } else {
        std::vector<char> matches(static_cast<std::size_t>(total), 1);
        if (!changeTerms.empty()) {
            for (std::size_t i = 0; i < matches.size(); ++i)
                matches[i] = MatchesChangeTerms(changeTerms, source->ChangeKinds(int(i)));
        }
        std::vector<char> hit;
        for (const std::string& word : words) {
            hit.assign(static_cast<std::size_t>(total), 0);
            fixedTexts.MarkRowsContaining(word, hit);
            for (std::size_t i = 0; i < hit.size(); ++i) {
                if (!matches[i] || hit[i]) continue;
                // Values and types change with every refresh, so they are looked at as they are.
                const OPCUAItemData& r = *source->Record(static_cast<int>(i));
                matches[i] = ContainsFolded(r.value, word) || ContainsFolded(r.dataType, word);
            }
        }
        for (int s : all) {
            if (matches[static_cast<std::size_t>(s)]) shown.push_back(s);
        }
    }
    Reposition();
    endResetModel();
    emit CountsChanged();
}

void PointFilterModel::OnChangesSet() {
    if (order != Order::Scan && sortColumn == kChangeColumn) SetSort(sortColumn, order);
    if (!changeTerms.empty()) ApplyFilter();
}

SortKey PointFilterModel::KeyOf(int s) const {
    if (sortColumn == kChangeColumn) return ChangeSortKey(source->ChangeKinds(s));
    return SortKeyOf(*source->Record(s), sortColumn);
}

void PointFilterModel::SetSort(int column, Order o) {
    sortColumn = std::clamp(column, 0, kColumnCount - 1);
    order = o;
    MakeKeys();
    std::iota(all.begin(), all.end(), 0);
    SortRows(all);
    std::vector<int> next;
    next.reserve(shown.size());
    for (int s : all) {
        if (position[static_cast<std::size_t>(s)] >= 0) next.push_back(s);
    }
    Reorder(std::move(next));
}

bool PointFilterModel::Accepts(int sourceRow) {
    if (!changeTerms.empty() && !MatchesChangeTerms(changeTerms, source->ChangeKinds(sourceRow)))
        return false;
    const OPCUAItemData& record = *source->Record(sourceRow);
    return words.empty() || MatchesFilter(words, FixedFilterKey(record), record, scratch);
}

bool PointFilterModel::Before(int a, int b) const {
    if (a == b) return false;
    if (order != Order::Scan && sortColumn != kIdColumn) {
        const int c =
            CompareInColumn(*source->Record(a), keys[static_cast<std::size_t>(a)],
                            *source->Record(b), keys[static_cast<std::size_t>(b)], sortColumn);
        if (c != 0) return order == Order::Ascending ? c < 0 : c > 0;
        return a < b;  // equal keys stay in scan order both ways
    }
    return order == Order::Descending ? a > b : a < b;
}

void PointFilterModel::MakeKeys() {
    keys.clear();
    if (order == Order::Scan) return;
    keys.reserve(static_cast<std::size_t>(total));
    for (int s = 0; s < total; ++s) keys.push_back(KeyOf(s));
}

void PointFilterModel::RebuildFixedTexts() {
    fixedTexts.Clear();
    for (int s = 0; s < total; ++s) {
        const OPCUAItemData& r = *source->Record(s);
        fixedTexts.Append({NodeIdToText(r.nodeId), r.displayName, r.Path()});
    }
}

void PointFilterModel::SortRows(std::vector<int>& rows) const {
    if (order == Order::Scan) {
        std::sort(rows.begin(), rows.end());
        return;
    }
    if (sortColumn >= kNameColumn) {  // cells with a number or a text: sorted in the entries
        SortByCells(
            rows, sortColumn, order == Order::Descending,
            [this](int s) -> const OPCUAItemData& { return *source->Record(s); },
            [this](int s) -> const SortKey& { return keys[static_cast<std::size_t>(s)]; });
        return;
    }
    std::sort(rows.begin(), rows.end(), [this](int a, int b) { return Before(a, b); });
}

void PointFilterModel::Reorder(std::vector<int> next) {
    if (next == shown) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before) sources.push_back(SourceRow(i.row()));
    shown = std::move(next);
    Reposition();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        after.push_back(index(ShownRow(sources[static_cast<std::size_t>(i)]), before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PointFilterModel::Reposition() {
    position.assign(static_cast<std::size_t>(total), -1);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        position[static_cast<std::size_t>(shown[i])] = static_cast<int>(i);
    }
}

void PointFilterModel::OnRowsInserted(const QModelIndex&, int first, int last) {
    if (first != total) {
        // The table only ever appends; anything else is taken from scratch.
        OnModelAboutToBeReset();
        OnModelReset();
        return;
    }
    std::vector<int> added(static_cast<std::size_t>(last - first + 1));
    std::iota(added.begin(), added.end(), first);
    for (int s : added) {
        const OPCUAItemData& r = *source->Record(s);
        fixedTexts.Append({NodeIdToText(r.nodeId), r.displayName, r.Path()});
        position.push_back(-1);
        ++total;
        if (order != Order::Scan) keys.push_back(KeyOf(s));
    }
    SortRows(added);
    const auto mid = static_cast<std::ptrdiff_t>(all.size());
    all.insert(all.end(), added.begin(), added.end());
    const auto before = [this](int a, int b) { return Before(a, b); };
    std::inplace_merge(all.begin(), all.begin() + mid, all.end(), before);

    std::vector<int> matching;
    for (int s : added) {
        if (Accepts(s)) matching.push_back(s);
    }
    if (!matching.empty()) {
        const int at = static_cast<int>(shown.size());
        beginInsertRows({}, at, at + static_cast<int>(matching.size()) - 1);
        shown.insert(shown.end(), matching.begin(), matching.end());
        for (std::size_t i = static_cast<std::size_t>(at); i < shown.size(); ++i) {
            position[static_cast<std::size_t>(shown[i])] = static_cast<int>(i);
        }
        endInsertRows();
        if (order != Order::Scan) {
            std::vector<int> next = shown;
            std::inplace_merge(next.begin(), next.begin() + at, next.end(), before);
            Reorder(std::move(next));
        }
    }
    emit CountsChanged();
}

void PointFilterModel::OnRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    std::vector<int> gone;
    for (int s = first; s <= last; ++s) {
        if (ShownRow(s) >= 0) gone.push_back(ShownRow(s));
    }
    std::sort(gone.begin(), gone.end(), std::greater<>());
    // Runs of adjacent shown rows, the last run first so that earlier rows keep their places.
    for (std::size_t i = 0; i < gone.size();) {
        const int high = gone[i];
        int low = high;
        while (++i < gone.size() && gone[i] == low - 1) --low;
        beginRemoveRows({}, low, high);
        shown.erase(shown.begin() + low, shown.begin() + high + 1);
        endRemoveRows();
    }
}

void PointFilterModel::OnRowsRemoved(const QModelIndex&, int first, int last) {
    const int count = last - first + 1;
    const auto renumber = [first, last, count](std::vector<int>& rows) {
        std::erase_if(rows, [first, last](int s) { return s >= first && s <= last; });
        for (int& s : rows) {
            if (s > last) s -= count;
        }
    };
    renumber(all);
    renumber(shown);
    renumber(changedRows);
    total -= count;
    RebuildFixedTexts();
    if (!keys.empty()) keys.erase(keys.begin() + first, keys.begin() + last + 1);
    Reposition();
    emit CountsChanged();
}

void PointFilterModel::OnModelAboutToBeReset() { beginResetModel(); }

void PointFilterModel::OnModelReset() {
    total = 0;
    fixedTexts.Clear();
    changedRows.clear();
    all.clear();
    shown.clear();
    position.clear();
    keys.clear();
    endResetModel();
    if (source->rowCount() > 0) OnRowsInserted({}, 0, source->rowCount() - 1);
    emit CountsChanged();
}

void PointFilterModel::OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                     const QList<int>& roles) {
    if (!topLeft.isValid() || !bottomRight.isValid()) return;
    const int first = topLeft.row();
    const int last = std::min(bottomRight.row(), static_cast<int>(position.size()) - 1);
    int low = INT_MAX, high = -1;
    for (int s = first; s <= last; ++s) {
        const int row = ShownRow(s);
        if (row < 0) continue;
        low = std::min(low, row);
        high = std::max(high, row);
    }
    if (high >= 0)
        emit dataChanged(index(low, topLeft.column()), index(high, bottomRight.column()), roles);
    const bool movesRows =
        order != Order::Scan && (sortColumn == kValueColumn || sortColumn == kTimeColumn);
    if (!movesRows || first > last || !(roles.isEmpty() || roles.contains(Qt::DisplayRole))) return;
    // A refresh pass may tell of its rows one by one: they are placed together, once.
    const bool scheduled = !changedRows.empty();
    for (int s = first; s <= last; ++s) changedRows.push_back(s);
    if (!scheduled)
        QMetaObject::invokeMethod(this, &PointFilterModel::PlaceChanged, Qt::QueuedConnection);
}

void PointFilterModel::PlaceChanged() {
    std::vector<int> moved = std::move(changedRows);
    changedRows.clear();
    std::sort(moved.begin(), moved.end());
    moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
    std::erase_if(moved, [this](int s) { return s >= total; });  // gone since
    if (moved.empty() || order == Order::Scan ||
        (sortColumn != kValueColumn && sortColumn != kTimeColumn))
        return;
    std::vector<char> changed(static_cast<std::size_t>(total), 0);
    for (int s : moved) {
        changed[static_cast<std::size_t>(s)] = 1;
        keys[static_cast<std::size_t>(s)] = KeyOf(s);
    }
    const auto before = [this](int a, int b) { return Before(a, b); };
    SortRows(moved);
    // Take the changed rows out and merge them back in at their new places.
    std::vector<int> rest;
    rest.reserve(all.size());
    std::copy_if(all.begin(), all.end(), std::back_inserter(rest),
                 [&](int s) { return !changed[static_cast<std::size_t>(s)]; });
    all.clear();
    std::merge(rest.begin(), rest.end(), moved.begin(), moved.end(), std::back_inserter(all),
               before);

    std::erase_if(moved, [this](int s) { return ShownRow(s) < 0; });
    rest.clear();
    std::copy_if(shown.begin(), shown.end(), std::back_inserter(rest),
                 [&](int s) { return !changed[static_cast<std::size_t>(s)]; });
    std::vector<int> next;
    next.reserve(shown.size());
    std::merge(rest.begin(), rest.end(), moved.begin(), moved.end(), std::back_inserter(next),
               before);
    Reorder(std::move(next));
}
