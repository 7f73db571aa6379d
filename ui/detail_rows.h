#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/point_details.h"

// The lines the details of a point show, (label, text) in the current language, from what the
// engine read: access levels in words, a failed Read as one line naming its status, the path
// last. No widgets, so tests read them directly.
using DetailRow = std::pair<std::string, std::string>;
std::vector<DetailRow> DetailRows(const PointDetails& details, const std::string& path);

// "读, 写" / "read, write" for the bits of an AccessLevel; "无" / "none" without any.
std::string AccessWords(std::uint8_t access);

// The lines as the clipboard takes them: "label<TAB>text", one a line.
std::string CopyRows(const std::vector<DetailRow>& rows);
