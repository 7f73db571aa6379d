#include "session/point_rows.h"

#include <algorithm>

void PointRows::Append(const std::vector<OPCUAItemData*>& batch) {
    if (batch.empty()) return;
    const int first = static_cast<int>(points.Size());
    emit AboutToAppend(first, first + static_cast<int>(batch.size()) - 1);
    points.Adopt(batch);
    emit Appended();
}

void PointRows::Erase(std::size_t first, std::size_t count) {
    if (count == 0 || first >= points.Size()) return;
    count = std::min(count, points.Size() - first);
    emit AboutToErase(static_cast<int>(first), static_cast<int>(first + count - 1));
    points.Erase(first, count);
    emit Erased();
}

void PointRows::Clear() {
    emit AboutToClear();
    points.Clear();
    emit Cleared();
}

OPCUAItemData* PointRows::Record(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= points.Size()) return nullptr;
    return points.View()[static_cast<std::size_t>(row)];
}

int PointRows::RowOf(const OPCUAItemData* record, int hint) const {
    const auto& view = points.View();
    if (hint >= 0 && static_cast<std::size_t>(hint) < view.size() &&
        view[static_cast<std::size_t>(hint)] == record)
        return hint;
    const auto it = std::find(view.begin(), view.end(), record);
    return it == view.end() ? -1 : static_cast<int>(it - view.begin());
}

int PointRows::RowOf(const UA_NodeId& nodeId) const {
    const auto& view = points.View();
    const auto it = std::find_if(view.begin(), view.end(), [&nodeId](const OPCUAItemData* r) {
        return UA_NodeId_equal(&r->nodeId, &nodeId);
    });
    return it == view.end() ? -1 : static_cast<int>(it - view.begin());
}

void PointRows::UpdateValues(int row, const OPCUAItemData& fresh) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    record->typeIndex = fresh.typeIndex;
    record->isArray = fresh.isArray;
    record->value = fresh.value;
    record->dataType = fresh.dataType;
    record->time = fresh.time;
    record->quality = fresh.quality;
    emit RowChanged(row);
}

void PointRows::SetQuality(int row, const std::string& quality) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    record->quality = quality;
    emit RowChanged(row);
}

void PointRows::SetValue(int row, const std::string& value) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    if (&record->value != &value) record->value = value;
    emit RowChanged(row);
}

void PointRows::ApplyLive(int row, const LiveChange& change) {
    OPCUAItemData* record = Record(row);
    if (record == nullptr) return;
    ApplyChange(*record, change);
    emit RowChanged(row);
}
