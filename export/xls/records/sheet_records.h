#pragma once

#include <cstdint>
#include <vector>

#include "export/xls/records/record.h"

// The worksheet records around the cell table.
namespace xls {

// The rows in use and the stream position of every row block's DBCELL.
class Index final : public Record {
public:
    static constexpr std::uint16_t kType = 0x020B;

    Index(std::uint32_t rowCount, std::size_t blockCount)
        : Record(kType), rowCount_(rowCount), dbCellPositions_(blockCount, 0) {}
    std::size_t PayloadSize() const override { return 16 + 4 * dbCellPositions_.size(); }

    void SetDbCellPosition(std::size_t block, std::uint32_t position) {
        dbCellPositions_[block] = position;
    }
    const std::vector<std::uint32_t>& DbCellPositions() const { return dbCellPositions_; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t rowCount_;  // rows 0 to rowCount_ - 1
    std::vector<std::uint32_t> dbCellPositions_;
};

// The used range: rows 0 to rowCount - 1, columns 0 to columnCount - 1.
class Dimensions final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0200;

    Dimensions(std::uint32_t rowCount, std::size_t columnCount)
        : Record(kType), rowCount_(rowCount), columnCount_(columnCount) {}
    std::size_t PayloadSize() const override { return 14; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t rowCount_;
    std::size_t columnCount_;
};

// Sheet window options: gridlines, headers, zero values, automatic gridline colour, outline
// symbols, shown in the window; only the first sheet is selected.
class Window2 final : public Record {
public:
    static constexpr std::uint16_t kType = 0x023E;
    static constexpr std::uint16_t kDefaultOptions = 0x06B6;
    static constexpr std::uint16_t kSelected = 0x0200;

    explicit Window2(bool selected)
        : Record(kType),
          options_(selected ? kDefaultOptions
                            : static_cast<std::uint16_t>(kDefaultOptions & ~kSelected)) {}
    std::size_t PayloadSize() const override { return 18; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint16_t options_;
};

}  // namespace xls
