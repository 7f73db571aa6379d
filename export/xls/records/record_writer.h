#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "export/util/little_endian.h"

namespace xls {

// BIFF8 records carry at most 8224 payload bytes; the rest follows in CONTINUE records.
constexpr std::size_t kMaxPayloadPerRecord = 8224;
constexpr std::size_t kRecordHeaderSize = 4;
constexpr std::uint16_t kContinueType = 0x003C;

// Bytes a payload takes in the stream with the header of its record and of every CONTINUE
// record. Without split points the payload is cut every 8224 bytes; with them, exactly there.
std::size_t FramedSize(std::size_t payloadSize, std::span<const std::size_t> splitPoints);

// Writes one record: its header, then the payload as it is put, starting a CONTINUE record
// (with its own header) whenever the payload reaches the end of a piece. Callers put the payload
// as if it were contiguous.
class RecordWriter {
public:
    RecordWriter(std::uint8_t* out, std::uint16_t type, std::size_t payloadSize,
                 std::span<const std::size_t> splitPoints);

    void U8(std::uint8_t value) { Bytes(&value, 1); }
    void U16(std::uint16_t value) {
        std::uint8_t bytes[2];
        le::PutU16(bytes, value);
        Bytes(bytes, 2);
    }
    void U32(std::uint32_t value) {
        std::uint8_t bytes[4];
        le::PutU32(bytes, value);
        Bytes(bytes, 4);
    }
    // Inline for the common case of bytes that fit the current piece: a full export writes
    // millions of small fields.
    void Bytes(const std::uint8_t* data, std::size_t size) {
        if (size <= pieceEnd_ - offset_ && (offset_ < pieceEnd_ || size == 0)) {
            std::memcpy(cursor_, data, size);
            cursor_ += size;
            offset_ += size;
        } else {
            BytesAcrossPieces(data, size);
        }
    }
    void Utf16(std::u16string_view units);  // little-endian code units

    std::size_t PayloadOffset() const { return offset_; }
    std::size_t BytesWritten() const { return static_cast<std::size_t>(cursor_ - start_); }

private:
    void BytesAcrossPieces(const std::uint8_t* data, std::size_t size);
    void StartPieceIfDue();
    void WriteHeader(std::uint16_t type, std::size_t pieceEnd);
    std::size_t PieceEndAfter(std::size_t pieceStart) const;

    std::uint8_t* start_;
    std::uint8_t* cursor_;
    std::size_t payloadSize_;
    std::span<const std::size_t> splitPoints_;
    std::size_t nextSplit_ = 0;  // index into splitPoints_
    std::size_t offset_ = 0;
    std::size_t pieceEnd_ = 0;
};

}  // namespace xls
