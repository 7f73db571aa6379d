#pragma once

#include <QObject>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/live/live_change.h"
#include "engine/opcua_item_data.h"
#include "engine/owned_points.h"

// The rows of one scan session, in the order the walk handed them over; their one owner. Every
// change goes through here and is told before and after, so that a view's model can follow.
class PointRows : public QObject {
    Q_OBJECT
public:
    explicit PointRows(QObject* parent = nullptr) : QObject(parent) {}

    // Appends `batch` and takes every record in it over.
    void Append(const std::vector<OPCUAItemData*>& batch);
    // Destroys `count` rows from `first`; later rows move up.
    void Erase(std::size_t first, std::size_t count);
    void Clear();

    // Value, type, time and quality of `row` from `fresh`, a copy that was read elsewhere.
    void UpdateValues(int row, const OPCUAItemData& fresh);
    void SetQuality(int row, const std::string& quality);
    void SetValue(int row, const std::string& value);
    // What a notification of the row's monitored item brought.
    void ApplyLive(int row, const LiveChange& change);

    const std::vector<OPCUAItemData*>& View() const { return points.View(); }
    std::size_t Size() const { return points.Size(); }
    bool Empty() const { return points.Empty(); }
    OPCUAItemData* Record(int row) const;
    // The row that holds `record`, looked for at `hint` first; -1 when it is gone.
    int RowOf(const OPCUAItemData* record, int hint) const;
    // The row of the point `nodeId`; -1 when there is none.
    int RowOf(const UA_NodeId& nodeId) const;

signals:
    void AboutToAppend(int first, int last);
    void Appended();
    void AboutToErase(int first, int last);
    void Erased();
    void AboutToClear();
    void Cleared();
    void RowChanged(int row);

private:
    OwnedPoints points;
};
