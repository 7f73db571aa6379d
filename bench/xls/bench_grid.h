#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The content of a full export, row by row: what the benchmark writes with our writer and the
// python script with xlwt. Row 0 is the header; data rows mix numeric and string identifiers.
namespace bench_grid {

constexpr std::uint32_t kRows = 65536;
constexpr std::uint32_t kColumns = 7;

inline const char* const kDataTypes[] = {"Boolean", "Word",  "Short",  "Long",
                                         "DWord",   "Float", "Double", "String"};

// Name of data row `row` (from 1), in UTF-8 (plain ASCII here); its RegAddress is
// AddressPrefix(row) + Name(row).
inline std::string Name(std::uint32_t row) {
    if (row % 4 == 0) return std::to_string(1000 + row);
    char name[64];
    std::snprintf(name, sizeof name, "Plant.Line%02u.Device%03u.Tag%05u", row % 12, row % 250, row);
    return name;
}

inline const char* AddressPrefix(std::uint32_t row) { return row % 4 == 0 ? "ns=2;i=" : "ns=2;s="; }

}  // namespace bench_grid
