#include "export/xls/records/shared_string_table.h"

#include <algorithm>

namespace xls {
namespace {

constexpr std::uint8_t kCompressed = 0x00;
constexpr std::uint8_t kUtf16 = 0x01;

}  // namespace

void SharedStringTable::Clear() {
    entries_.Clear();
    totalCount_ = 0;
    layout_ = SstLayout{};
}

std::uint32_t SharedStringTable::Add(std::string_view bytes) {
    layout_.PlaceNarrow(bytes.size());
    entries_.PushBack({bytes.data(), static_cast<std::uint32_t>(bytes.size()), kCompressed});
    return UniqueCount() - 1;
}

std::uint32_t SharedStringTable::Add(std::u16string_view units) {
    layout_.PlaceWide(units);
    entries_.PushBack({units.data(), static_cast<std::uint32_t>(units.size()), kUtf16});
    return UniqueCount() - 1;
}

void SharedStringTable::WritePayload(RecordWriter& out) const {
    out.U32(totalCount_);
    out.U32(UniqueCount());
    std::size_t nextSplit = 0;
    for (const SharedString& entry : entries_) {
        out.U16(static_cast<std::uint16_t>(entry.count));
        out.U8(entry.flag);
        WriteCharacters(out, entry, nextSplit);
    }
}

// Writes an entry's characters, repeating its flag byte at each split point inside them. Split
// points between two entries need no byte: the record simply ends there.
void SharedStringTable::WriteCharacters(RecordWriter& out, const SharedString& entry,
                                        std::size_t& nextSplit) const {
    const auto& splits = layout_.SplitPoints();
    const std::size_t unitSize = entry.flag == kUtf16 ? 2 : 1;
    std::size_t done = 0;  // characters written
    while (true) {
        while (nextSplit < splits.size() && splits[nextSplit] <= out.PayloadOffset()) ++nextSplit;
        const std::size_t left = entry.count - done;
        std::size_t now = left;
        if (nextSplit < splits.size()) {
            now = std::min(left, (splits[nextSplit] - out.PayloadOffset()) / unitSize);
        }
        if (entry.flag == kUtf16) {
            out.Utf16({static_cast<const char16_t*>(entry.chars) + done, now});
        } else {
            out.Bytes(static_cast<const std::uint8_t*>(entry.chars) + done, now);
        }
        done += now;
        if (done == entry.count) return;
        out.U8(entry.flag);  // opens the CONTINUE record
    }
}

}  // namespace xls
