#include "export/xls/records/record_writer.h"

#include <algorithm>
#include <cassert>

namespace xls {

std::size_t FramedSize(std::size_t payloadSize, std::span<const std::size_t> splitPoints) {
    std::size_t pieces = splitPoints.size() + 1;
    if (splitPoints.empty() && payloadSize > kMaxPayloadPerRecord) {
        pieces = (payloadSize + kMaxPayloadPerRecord - 1) / kMaxPayloadPerRecord;
    }
    return payloadSize + pieces * kRecordHeaderSize;
}

RecordWriter::RecordWriter(std::uint8_t* out, std::uint16_t type, std::size_t payloadSize,
                           std::span<const std::size_t> splitPoints)
    : start_(out), cursor_(out), payloadSize_(payloadSize), splitPoints_(splitPoints) {
    WriteHeader(type, PieceEndAfter(0));
}

std::size_t RecordWriter::PieceEndAfter(std::size_t pieceStart) const {
    if (splitPoints_.empty()) return std::min(pieceStart + kMaxPayloadPerRecord, payloadSize_);
    return nextSplit_ < splitPoints_.size() ? splitPoints_[nextSplit_] : payloadSize_;
}

void RecordWriter::WriteHeader(std::uint16_t type, std::size_t pieceEnd) {
    le::PutU16(cursor_, type);
    le::PutU16(cursor_ + 2, static_cast<std::uint16_t>(pieceEnd - offset_));
    cursor_ += kRecordHeaderSize;
    pieceEnd_ = pieceEnd;
    if (!splitPoints_.empty() && nextSplit_ < splitPoints_.size()) ++nextSplit_;
}

void RecordWriter::StartPieceIfDue() {
    if (offset_ == pieceEnd_ && offset_ < payloadSize_) {
        WriteHeader(kContinueType, PieceEndAfter(offset_));
    }
}

void RecordWriter::BytesAcrossPieces(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        StartPieceIfDue();
        const std::size_t n = std::min(size, pieceEnd_ - offset_);
        assert(n > 0 && "payload longer than its stated size");
        if (n == 0) return;
        std::memcpy(cursor_, data, n);
        cursor_ += n;
        offset_ += n;
        data += n;
        size -= n;
    }
}

void RecordWriter::Utf16(std::u16string_view units) {
    while (!units.empty()) {
        StartPieceIfDue();
        const std::size_t whole = std::min(units.size(), (pieceEnd_ - offset_) / 2);
        if (whole == 0) {  // a piece ending mid code unit: let Bytes cut it
            U16(units.front());
            units.remove_prefix(1);
            continue;
        }
        for (std::size_t i = 0; i < whole; ++i) le::PutU16(cursor_ + 2 * i, units[i]);
        cursor_ += 2 * whole;
        offset_ += 2 * whole;
        units.remove_prefix(whole);
    }
}

}  // namespace xls
