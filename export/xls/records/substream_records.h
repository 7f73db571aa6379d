#pragma once

#include "export/xls/records/record.h"

namespace xls {

// Opens a substream: the workbook globals or one worksheet.
class BOF final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0809;
    static constexpr std::uint16_t kWorkbookGlobals = 0x0005;
    static constexpr std::uint16_t kWorksheet = 0x0010;

    explicit BOF(std::uint16_t substreamType) : Record(kType), substreamType_(substreamType) {}
    std::size_t PayloadSize() const override { return 16; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint16_t substreamType_;
};

// Closes a substream.
class EofRecord final : public Record {
public:
    static constexpr std::uint16_t kType = 0x000A;

    EofRecord() : Record(kType) {}
    std::size_t PayloadSize() const override { return 0; }

protected:
    void WritePayload(RecordWriter&) const override {}
};

}  // namespace xls
