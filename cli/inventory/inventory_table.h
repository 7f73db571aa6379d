#pragma once

#include <string>
#include <vector>

#include "store/stored_scan.h"

class ReplacingFile;

// The points of several servers as one table, a Server column first.
struct ServerPoints {
    std::string url;
    const std::vector<StoredPoint>* points = nullptr;
};

enum class TableFormat { Csv, Xlsx, Json };

// The column names, in order.
const std::vector<std::string>& InventoryColumns();

// Writes the table into `file` and commits it; false with nothing replaced on failure. JSON is
// one array of objects, one per point.
bool WriteInventoryTable(const std::vector<ServerPoints>& servers, TableFormat format,
                         ReplacingFile& file);
