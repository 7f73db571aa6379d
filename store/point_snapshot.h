#pragma once

#include <vector>

#include "engine/opcua_item_data.h"
#include "store/stored_scan.h"

// What the history keeps of a point the walk found.
StoredPoint SnapshotOf(const OPCUAItemData& record);
std::vector<StoredPoint> SnapshotOf(const std::vector<OPCUAItemData*>& records);
