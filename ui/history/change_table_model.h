#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <vector>

#include "history/scan_comparison.h"

// Two scans and what changed between them, as the history dialog loaded them.
struct LoadedComparison {
    std::vector<StoredPoint> before;
    std::vector<StoredPoint> after;
    ScanComparison comparison;
};

// The changes of a comparison, those of the chosen kinds, removed points included: Change,
// NodeId, Path, Name, Before, After.
class ChangeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kChange, kNodeId, kPath, kName, kBefore, kAfter, kColumnCount };

    explicit ChangeTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetComparison(std::shared_ptr<const LoadedComparison> loaded);
    // Only changes with any of these kinds are rows.
    void SetKinds(std::uint16_t kinds);
    const LoadedComparison* Loaded() const { return loaded_.get(); }
    // The change of row `row`.
    const PointChange& ChangeAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void Refilter();

    std::shared_ptr<const LoadedComparison> loaded_;
    std::uint16_t kinds_ = kAllChangeKinds;
    std::vector<std::size_t> rows_;  // indices into the comparison's changes
};

// What the Before and After columns say of one side: "Int32, array, access 3" and the NodeId
// when it was renumbered.
std::string SideText(const StoredPoint& point, std::uint16_t kinds);
