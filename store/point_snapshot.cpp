#include "store/point_snapshot.h"

#include "engine/node_id_text.h"

StoredPoint SnapshotOf(const OPCUAItemData& record) {
    StoredPoint point;
    point.nodeId = NodeIdToText(record.nodeId);
    point.path = record.Path();
    point.displayName = record.displayName;
    point.dataType = record.dataType;
    point.valueRank = record.isArray ? 0 : -1;
    point.userAccess = record.accessKnown ? record.userAccessLevel : -1;
    return point;
}

std::vector<StoredPoint> SnapshotOf(const std::vector<OPCUAItemData*>& records) {
    std::vector<StoredPoint> points;
    points.reserve(records.size());
    for (const OPCUAItemData* record : records) points.push_back(SnapshotOf(*record));
    return points;
}
