#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "store/stored_scan.h"

// What changed about one point between two scans of one server. A point may have changed in
// several ways at once.
enum ChangeKind : std::uint16_t {
    kChangeAdded = 1 << 0,
    kChangeRemoved = 1 << 1,
    kChangeDataType = 1 << 2,
    kChangeAccess = 1 << 3,
    kChangeMoved = 1 << 4,        // its path is another
    kChangeArrayScalar = 1 << 5,  // array became scalar or the reverse
    kChangeRenamed = 1 << 6,      // display name
    kChangeRenumbered = 1 << 7,   // another numeric NodeId, the same browse path and data type
};
inline constexpr std::uint16_t kAllChangeKinds = 0xFF;

struct PointChange {
    std::uint16_t kinds = 0;
    // Indices into the two scans; -1 where the point is not in that scan.
    std::int64_t before = -1;
    std::int64_t after = -1;
};

struct ScanComparison {
    std::vector<PointChange> changes;  // the later scan's order, then what was removed
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t changed = 0;  // in the later scan, different in any way but added
};

// Compares two scans of one server; values are not compared. A point is the same point when
// its NodeId is; a point whose numeric NodeId is gone is the same as a new numeric one when
// both are the only ones with that browse path (path and display name) and data type.
ScanComparison CompareScans(std::span<const StoredPoint> before,
                            std::span<const StoredPoint> after);
