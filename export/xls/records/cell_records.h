#pragma once

#include <cstdint>
#include <vector>

#include "export/xls/records/record.h"

// The records of a row block. ROW, BLANK and LABELSST are made on the fly while a block is
// written, from the block's compact cell list, rather than kept per cell.
namespace xls {

class Row final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0208;
    static constexpr std::size_t kTotalSize = 20;

    Row(std::uint32_t row, std::size_t columnCount)
        : Record(kType), row_(row), columnCount_(columnCount) {}
    std::size_t PayloadSize() const override { return kTotalSize - kRecordHeaderSize; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t row_;
    std::size_t columnCount_;
};

class Blank final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0201;
    static constexpr std::size_t kTotalSize = 10;

    Blank(std::uint32_t row, std::uint32_t column, std::uint16_t xfIndex)
        : Record(kType), row_(row), column_(column), xfIndex_(xfIndex) {}
    std::size_t PayloadSize() const override { return kTotalSize - kRecordHeaderSize; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t row_;
    std::uint32_t column_;
    std::uint16_t xfIndex_;
};

class LabelSST final : public Record {
public:
    static constexpr std::uint16_t kType = 0x00FD;
    static constexpr std::size_t kTotalSize = 14;

    LabelSST(std::uint32_t row, std::uint32_t column, std::uint16_t xfIndex, std::uint32_t sstIndex)
        : Record(kType), row_(row), column_(column), xfIndex_(xfIndex), sstIndex_(sstIndex) {}
    std::size_t PayloadSize() const override { return kTotalSize - kRecordHeaderSize; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t row_;
    std::uint32_t column_;
    std::uint16_t xfIndex_;
    std::uint32_t sstIndex_;
};

// Ends a row block: how far back its first ROW record is, and where each row's cells start.
class DBCell final : public Record {
public:
    static constexpr std::uint16_t kType = 0x00D7;

    explicit DBCell(std::size_t rowCount) : Record(kType), rowOffsets_(rowCount, 0) {}
    std::size_t PayloadSize() const override { return 4 + 2 * rowOffsets_.size(); }

    std::uint32_t FirstRowOffset() const { return firstRowOffset_; }
    const std::vector<std::uint16_t>& RowOffsets() const { return rowOffsets_; }
    void SetFirstRowOffset(std::uint32_t offset) { firstRowOffset_ = offset; }
    void SetRowOffset(std::size_t row, std::uint16_t offset) { rowOffsets_[row] = offset; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t firstRowOffset_ = 0;
    std::vector<std::uint16_t> rowOffsets_;
};

}  // namespace xls
