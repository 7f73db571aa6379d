#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

#include "export/xls/records/record_writer.h"

namespace xls {

// One BIFF8 record. A subclass knows its payload; this class frames it with the record header
// and, where the payload is split, CONTINUE records. TotalSize() is exactly what Write() emits.
class Record {
public:
    explicit Record(std::uint16_t type) : type_(type) {}
    virtual ~Record() = default;

    std::uint16_t Type() const { return type_; }
    virtual std::size_t PayloadSize() const = 0;
    std::size_t TotalSize() const { return FramedSize(PayloadSize(), SplitPoints()); }
    // Writes the record at `out` and returns the number of bytes written. Inline, so that
    // writing a record of a final class needs no virtual call.
    std::size_t Write(std::uint8_t* out) const {
        RecordWriter writer(out, type_, PayloadSize(), SplitPoints());
        WritePayload(writer);
        assert(writer.PayloadOffset() == PayloadSize());
        return writer.BytesWritten();
    }

protected:
    Record(const Record&) = default;
    Record& operator=(const Record&) = default;

    // Payload offsets at which CONTINUE records begin; none means "every 8224 bytes".
    virtual std::span<const std::size_t> SplitPoints() const { return {}; }
    virtual void WritePayload(RecordWriter& out) const = 0;

private:
    std::uint16_t type_;
};

}  // namespace xls
