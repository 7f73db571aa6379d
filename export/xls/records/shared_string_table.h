#pragma once

#include <cstdint>
#include <string_view>

#include "export/util/page_array.h"
#include "export/xls/records/record.h"
#include "export/xls/records/sst_layout.h"

namespace xls {

// The SST: every distinct cell text once, in order of first use. The table borrows its texts
// from the cells: it is rebuilt from the grids at every save and written within that save.
class SharedStringTable final : public Record {
public:
    static constexpr std::uint16_t kType = 0x00FC;
    // The character count of an entry is 16-bit.
    static constexpr std::size_t kMaxCharacters = 65535;

    SharedStringTable() : Record(kType) {}

    // Back to no entries and both counts 0.
    void Clear();
    void Reserve(std::size_t entries) { entries_.Reserve(entries); }
    // Appends an entry and returns its index; `text` must outlive the table's use and hold at
    // most kMaxCharacters characters.
    std::uint32_t Add(std::string_view bytes);
    std::uint32_t Add(std::u16string_view units);
    // Counts one more cell using the table.
    void CountUse() { ++totalCount_; }

    struct EntryView {
        const void* chars;
        std::size_t count;  // characters: bytes or code units
        bool wide;
    };
    EntryView Entry(std::uint32_t index) const {
        const SharedString& entry = entries_[index];
        return {entry.chars, entry.count, entry.flag == 0x01};
    }

    std::uint32_t TotalCount() const { return totalCount_; }
    std::uint32_t UniqueCount() const { return static_cast<std::uint32_t>(entries_.Size()); }

    std::size_t PayloadSize() const override { return layout_.Size(); }

protected:
    std::span<const std::size_t> SplitPoints() const override { return layout_.SplitPoints(); }
    void WritePayload(RecordWriter& out) const override;

private:
    // 16 bytes per entry: a full export holds about 200,000 of them.
    struct SharedString {
        const void* chars;
        std::uint32_t count;
        std::uint8_t flag;  // 0x00 8-bit, 0x01 UTF-16
    };

    void WriteCharacters(RecordWriter& out, const SharedString& entry,
                         std::size_t& nextSplit) const;

    PageArray<SharedString> entries_;
    std::uint32_t totalCount_ = 0;
    SstLayout layout_;
};

}  // namespace xls
