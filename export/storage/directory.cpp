#include "export/storage/directory.h"

#include <algorithm>
#include <numeric>

#include "export/storage/cfb_format.h"
#include "export/util/little_endian.h"

namespace cfb {
namespace {

// MS-CFB asks for Unicode simple upper-casing; ASCII and Latin-1 cover every name we make.
char16_t ToUpper(char16_t unit) {
    if (unit >= u'a' && unit <= u'z') return static_cast<char16_t>(unit - 0x20);
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return static_cast<char16_t>(unit - 0x20);
    if (unit == 0xFF) return 0x178;
    return unit;
}

struct TreeLinks {
    std::uint32_t left = kNoStream;
    std::uint32_t right = kNoStream;
    std::uint8_t colour = kBlack;
};

class SiblingTree {
public:
    // `sorted` holds stream IDs in name order.
    SiblingTree(const std::vector<std::uint32_t>& sorted, std::size_t entryCount)
        : links_(entryCount) {
        const std::size_t n = sorted.size();
        std::size_t deepest = 0;
        while ((std::size_t{2} << deepest) <= n) ++deepest;  // floor(log2 n)
        // Built from midpoints, every path ends at depth `deepest` or one below it; painting the
        // deepest level red (unless the tree is perfect) evens out the black heights.
        redDepth_ = ((n + 1) & n) == 0 ? static_cast<std::size_t>(-1) : deepest;
        root_ = Build(sorted, 0, n, 0);
    }

    std::uint32_t Root() const { return root_; }
    const TreeLinks& Links(std::uint32_t id) const { return links_[id]; }

private:
    std::uint32_t Build(const std::vector<std::uint32_t>& sorted, std::size_t begin,
                        std::size_t end, std::size_t depth) {
        if (begin >= end) return kNoStream;
        const std::size_t mid = begin + (end - begin) / 2;
        const std::uint32_t id = sorted[mid];
        links_[id].left = Build(sorted, begin, mid, depth + 1);
        links_[id].right = Build(sorted, mid + 1, end, depth + 1);
        links_[id].colour = depth == redDepth_ ? kRed : kBlack;
        return id;
    }

    std::vector<TreeLinks> links_;
    std::size_t redDepth_ = 0;
    std::uint32_t root_ = kNoStream;
};

void EncodeEntry(std::uint8_t* out, std::u16string_view name, std::uint8_t type,
                 const TreeLinks& links, std::uint32_t child, std::uint32_t start,
                 std::uint64_t size) {
    for (std::size_t i = 0; i < name.size(); ++i) le::PutU16(out + 2 * i, name[i]);
    le::PutU16(out + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    out[66] = type;
    out[67] = links.colour;
    le::PutU32(out + 68, links.left);
    le::PutU32(out + 72, links.right);
    le::PutU32(out + 76, child);
    // 80: class id, 96: state bits, 100 and 108: creation and modification times, all zero
    le::PutU32(out + 116, start);
    le::PutU64(out + 120, size);
}

void EncodeUnusedEntry(std::uint8_t* out) {
    le::PutU32(out + 68, kNoStream);
    le::PutU32(out + 72, kNoStream);
    le::PutU32(out + 76, kNoStream);
}

}  // namespace

bool IsValidStreamName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    return std::none_of(name.begin(), name.end(), [](char16_t unit) {
        return unit == u'/' || unit == u'\\' || unit == u':' || unit == u'!' || unit == 0;
    });
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = ToUpper(a[i]);
        const char16_t y = ToUpper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::vector<std::uint8_t> EncodeDirectory(std::uint32_t miniStreamStart,
                                          std::uint64_t miniStreamSize,
                                          std::span<const StreamEntry> streams) {
    const std::size_t entryCount = streams.size() + 1;
    const std::size_t sectors = CeilDiv(entryCount, kEntriesPerDirectorySector);
    std::vector<std::uint8_t> bytes(sectors * kSectorSize, 0);

    std::vector<std::uint32_t> sorted(streams.size());
    std::iota(sorted.begin(), sorted.end(), 1u);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return CompareNames(streams[a - 1].name, streams[b - 1].name) < 0;
    });
    const SiblingTree tree(sorted, entryCount);

    EncodeEntry(bytes.data(), u"Root Entry", kRootStorageObject, TreeLinks{}, tree.Root(),
                miniStreamStart, miniStreamSize);
    for (std::uint32_t id = 1; id < entryCount; ++id) {
        const StreamEntry& stream = streams[id - 1];
        EncodeEntry(bytes.data() + id * kDirectoryEntrySize, stream.name, kStreamObject,
                    tree.Links(id), kNoStream, stream.startSector, stream.size);
    }
    for (std::size_t id = entryCount; id < sectors * kEntriesPerDirectorySector; ++id) {
        EncodeUnusedEntry(bytes.data() + id * kDirectoryEntrySize);
    }
    return bytes;
}

}  // namespace cfb
