#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/opcua_item_data.h"
#include "session/point_rows.h"

// The list view's model over a session's rows: it reads them on demand, keeps no texts of its
// own and tells the view of exactly what the rows say changed.
class PointTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    PointTableModel(PointRows& rows, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Changes to the rows, for callers that hold the model rather than the rows.
    void AppendRows(const std::vector<OPCUAItemData*>& batch) { rows.Append(batch); }
    void DeleteRows(std::size_t first, std::size_t count) { rows.Erase(first, count); }
    void DeleteAll() { rows.Clear(); }
    void UpdateValues(int row, const OPCUAItemData& fresh) { rows.UpdateValues(row, fresh); }
    void SetQuality(int row, const std::string& quality) { rows.SetQuality(row, quality); }
    void SetValue(int row, const std::string& value) { rows.SetValue(row, value); }

    OPCUAItemData* Record(int row) const { return rows.Record(row); }
    int RowOf(const OPCUAItemData* record, int hint) const { return rows.RowOf(record, hint); }

    // What changed about each row since the server's last complete scan: `kinds[i]` (ChangeKind
    // bits) is of `scanned[i]`, the records as they were copied for the history, in row order.
    // Records deleted since are passed over; they are compared, never read. Kept until the
    // rows are cleared.
    void SetChanges(std::span<const OPCUAItemData* const> scanned,
                    std::span<const std::uint16_t> kinds);
    // Whether the rows were held against an earlier scan at all.
    bool Compared() const { return compared; }
    std::uint16_t ChangeKinds(int row) const;

    // The Change header and cells again in the current language.
    void RetellTexts();

signals:
    // SetChanges replaced the kinds of every row.
    void ChangesSet();

private:
    PointRows& rows;
    bool compared = false;
    std::vector<std::uint16_t> kinds;  // per row while compared, else empty
};
