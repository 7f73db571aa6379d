#include "export/point_row_utf8.h"

#include <algorithm>

#include "export/util/utf_convert.h"

std::string Latin1ToUtf8(std::string_view bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return std::string(bytes);
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return utf8;
}

PointCellsUtf8 ToUtf8Cells(const PointRow& row) {
    return {Latin1ToUtf8(row.id),
            Utf16ToUtf8(row.name),
            Latin1ToUtf8(row.regType),
            Utf16ToUtf8(row.regAddress),
            Latin1ToUtf8(row.dataType),
            std::string(),
            row.path};
}
