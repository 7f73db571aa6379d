#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/opcua_item_data.h"

// The list view's model: it reads the window's rows on demand and keeps no texts of its own.
// Every change to the rows goes through it, so the view hears of exactly what changed.
class PointTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    PointTableModel(std::vector<OPCUAItemData*>& rows, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends `batch` (the rows take ownership) with one insertion notice for the new rows.
    void AppendRows(const std::vector<OPCUAItemData*>& batch);
    // Releases and removes `count` rows from `first`; later rows move up.
    void DeleteRows(std::size_t first, std::size_t count);
    // Releases every record and empties the rows.
    void DeleteAll();

    // Value, type, time and quality of the record at `row` from `fresh` (a copy that was read
    // elsewhere), told to the view as a change of that row.
    void UpdateValues(int row, const OPCUAItemData& fresh);
    void SetQuality(int row, const std::string& quality);
    void SetValue(int row, const std::string& value);

    OPCUAItemData* Record(int row) const;
    // The row that holds `record`, looked for at `hint` first; -1 when it is gone.
    int RowOf(const OPCUAItemData* record, int hint) const;

private:
    void RowChanged(int row);

    std::vector<OPCUAItemData*>& rows;
};
