#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "export/util/little_endian.h"

// Splits a BIFF stream into its records, for tests that check sizes and offsets by hand.
struct BiffRecord {
    std::uint16_t type;
    std::size_t position;  // of the record header in the stream
    std::span<const std::uint8_t> payload;

    std::size_t TotalSize() const { return payload.size() + 4; }
    std::uint16_t U16(std::size_t offset) const { return le::GetU16(payload.data() + offset); }
    std::uint32_t U32(std::size_t offset) const { return le::GetU32(payload.data() + offset); }
};

inline std::vector<BiffRecord> SplitRecords(std::span<const std::uint8_t> stream) {
    std::vector<BiffRecord> records;
    std::size_t pos = 0;
    while (pos + 4 <= stream.size()) {
        const std::uint16_t type = le::GetU16(stream.data() + pos);
        const std::uint16_t length = le::GetU16(stream.data() + pos + 2);
        if (pos + 4 + length > stream.size()) break;  // leaves the tail for the caller to spot
        records.push_back({type, pos, stream.subspan(pos + 4, length)});
        pos += 4 + length;
    }
    return records;
}

// The records point into the stream: it must outlive them.
std::vector<BiffRecord> SplitRecords(std::vector<std::uint8_t>&& stream) = delete;

inline std::size_t SumOfSizes(const std::vector<BiffRecord>& records) {
    std::size_t total = 0;
    for (const auto& record : records) total += record.TotalSize();
    return total;
}
