#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct OPCUAItemData;

// The cell texts of one exported point. Every text is limited as if formed in a fixed-size,
// NUL-terminated area: at most the area's size less one byte, and no further than a NUL inside
// the text.
// Name and RegAddress are converted from UTF-8 after the cut, so a character cut in half becomes
// U+FFFD.
struct PointRow {
    static constexpr std::size_t kIdArea = 32;
    static constexpr std::size_t kNameArea = 512;
    static constexpr std::size_t kRegTypeArea = 32;
    static constexpr std::size_t kRegAddressArea = 512;
    static constexpr std::size_t kDataTypeArea = 64;

    std::string id;             // running number, narrow
    std::u16string name;        // identifier without namespace, wide
    std::string regType;        // "ItemID", narrow
    std::u16string regAddress;  // full NodeId text, wide
    std::string dataType;       // type name by typeIndex, narrow
    std::string path;           // objects the walk reached the point through, UTF-8, whole
};

// Row `number` (from 1) for `point`. Opaque identifiers leave Name, RegType and RegAddress empty.
PointRow MakePointRow(const OPCUAItemData& point, std::size_t number);

// The DataType column for a point: a fixed name per type index, the point's own data type
// text for 64-bit integers and DateTime, empty for types outside the table.
std::string DataTypeColumn(const OPCUAItemData& point);

// `text` as a fixed area of `areaSize` bytes would hold it.
std::string_view FitToArea(std::string_view text, std::size_t areaSize);
