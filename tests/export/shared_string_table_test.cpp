#include "export/xls/records/shared_string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "biff_records.h"

namespace {

struct Decoded {
    std::uint8_t flag;
    std::vector<std::uint8_t> charBytes;
};

// Reads the entries back the way a BIFF8 reader does: a record may end inside an entry's
// characters, and the CONTINUE record then opens with a flag byte of its own.
std::vector<Decoded> DecodeEntries(const std::vector<BiffRecord>& records) {
    std::vector<Decoded> entries;
    std::size_t r = 0, pos = 8;
    const std::uint32_t unique = records[0].U32(4);
    for (std::uint32_t n = 0; n < unique; ++n) {
        if (pos == records[r].payload.size()) {  // the entry starts in the next record
            ++r;
            pos = 0;
        }
        Decoded entry;
        const std::size_t count = records[r].U16(pos);
        entry.flag = records[r].payload[pos + 2];
        pos += 3;
        std::size_t unit = entry.flag ? 2 : 1;
        while (entry.charBytes.size() < count * unit) {
            if (pos == records[r].payload.size()) {
                ++r;
                EXPECT_EQ(records[r].payload[0], entry.flag) << "continuation flag of entry " << n;
                pos = 1;
            }
            const std::size_t take =
                std::min(count * unit - entry.charBytes.size(), records[r].payload.size() - pos);
            EXPECT_EQ(take % unit, 0u) << "a code unit cut in two";
            entry.charBytes.insert(entry.charBytes.end(), records[r].payload.begin() + pos,
                                   records[r].payload.begin() + pos + take);
            pos += take;
        }
        entries.push_back(entry);
    }
    EXPECT_EQ(r + 1, records.size());
    EXPECT_EQ(pos, records.back().payload.size());
    return entries;
}

class SstTest : public ::testing::Test {
protected:
    void AddNarrow(std::size_t length, char fill) {
        narrow_.push_back(std::string(length, fill));
        expected_.push_back({0, {narrow_.back().begin(), narrow_.back().end()}});
    }
    void AddWide(std::size_t length, char16_t fill) { AddWideText(std::u16string(length, fill)); }
    void AddWideText(std::u16string text) {
        wide_.push_back(std::move(text));
        Decoded entry{1, {}};
        for (char16_t unit : wide_.back()) {
            entry.charBytes.push_back(static_cast<std::uint8_t>(unit));
            entry.charBytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        expected_.push_back(entry);
    }

    // Writes the table and returns the payload sizes of the SST and its CONTINUE records.
    std::vector<std::size_t> Write() {
        for (std::size_t i = 0, n = 0, w = 0; i < expected_.size(); ++i) {
            table_.CountUse();
            if (expected_[i].flag == 0) {
                table_.Add(narrow_[n++]);
            } else {
                table_.Add(wide_[w++]);
            }
        }
        bytes_.assign(table_.TotalSize(), 0);
        EXPECT_EQ(table_.Write(bytes_.data()), bytes_.size());
        records_ = SplitRecords(bytes_);
        EXPECT_EQ(SumOfSizes(records_), bytes_.size());
        std::vector<std::size_t> sizes;
        for (std::size_t i = 0; i < records_.size(); ++i) {
            EXPECT_EQ(records_[i].type, i == 0 ? 0x00FC : 0x003C);
            sizes.push_back(records_[i].payload.size());
        }
        const auto decoded = DecodeEntries(records_);
        EXPECT_EQ(decoded.size(), expected_.size());
        for (std::size_t i = 0; i < std::min(decoded.size(), expected_.size()); ++i) {
            EXPECT_EQ(decoded[i].flag, expected_[i].flag) << "entry " << i;
            EXPECT_TRUE(decoded[i].charBytes == expected_[i].charBytes) << "entry " << i;
        }
        return sizes;
    }

    xls::SharedStringTable table_;
    std::vector<std::string> narrow_;
    std::vector<std::u16string> wide_;
    std::vector<Decoded> expected_;
    std::vector<std::uint8_t> bytes_;
    std::vector<BiffRecord> records_;
};

using Sizes = std::vector<std::size_t>;

TEST_F(SstTest, CountsComeFirst) {
    AddNarrow(2, 'a');
    AddWide(2, u'b');
    table_.CountUse();  // a third cell sharing an entry
    EXPECT_EQ(Write(), Sizes{8 + 5 + 7});
    EXPECT_EQ(records_[0].U32(0), 3u);
    EXPECT_EQ(records_[0].U32(4), 2u);
}

TEST_F(SstTest, ExactlyFullRecordNeedsNoContinue) {
    AddNarrow(4000, 'a');             // 8 + 4003 = 4011
    AddNarrow(8224 - 4011 - 3, 'b');  // ends exactly at 8224
    EXPECT_EQ(Write(), Sizes{8224});
}

TEST_F(SstTest, OneByteMoreSplitsTheLastEntry) {
    AddNarrow(4000, 'a');
    AddNarrow(8224 - 4011 - 3 + 1, 'b');
    EXPECT_EQ(Write(), (Sizes{8224, 2}));  // flag byte and the last character
    EXPECT_EQ(records_[1].payload[0], 0x00);
}

TEST_F(SstTest, FewerThanTwelveBytesLeftMovesTheEntry) {
    AddNarrow(8224 - 11 - 8 - 3, 'a');  // leaves 11 bytes
    AddNarrow(20, 'b');
    EXPECT_EQ(Write(), (Sizes{8213, 23}));
    // The CONTINUE record opens with the entry's own header, not a flag byte.
    EXPECT_EQ(records_[1].U16(0), 20);
    EXPECT_EQ(records_[1].payload[2], 0x00);
    EXPECT_EQ(records_[1].payload[3], 'b');
}

TEST_F(SstTest, TwelveBytesLeftSplitsTheEntryThere) {
    AddNarrow(8224 - 12 - 8 - 3, 'a');
    AddNarrow(20, 'b');  // header and 9 characters stay, 11 go on
    EXPECT_EQ(Write(), (Sizes{8224, 12}));
}

TEST_F(SstTest, MovedEntryTooLongForAFreshRecordIsSplitToo) {
    AddNarrow(8224 - 11 - 8 - 3, 'a');
    AddNarrow(9000, 'b');  // 9003 bytes: 8224 in the first CONTINUE, 779 characters after
    EXPECT_EQ(Write(), (Sizes{8213, 8224, 780}));
}

TEST_F(SstTest, Utf16SplitAtEvenRemainderEndsOneByteEarly) {
    AddWide(5000, u'\u6CF5');  // 8216 bytes left after the counts: the record stops at 8223
    EXPECT_EQ(Write(), (Sizes{8223, 1 + 10000 - 8212}));
    EXPECT_EQ(records_[1].payload[0], 0x01);
}

TEST_F(SstTest, Utf16SplitAtOddRemainderUsesTheWholeRecord) {
    AddNarrow(2, 'a');  // 13 bytes so far: 8211 left
    AddWide(5000, u'x');
    EXPECT_EQ(Write(), (Sizes{8224, 1 + 10000 - 8208}));
}

TEST_F(SstTest, LongEntriesSpanSeveralContinues) {
    AddWide(20000, u'\u70B9');  // 40000 bytes: 8212, then 8222 per CONTINUE
    AddNarrow(4, 't');          // fills up the last CONTINUE
    EXPECT_EQ(Write(), (Sizes{8223, 8223, 8223, 8223, 1 + (40000 - 8212 - 3 * 8222) + 7}));
}

TEST_F(SstTest, LongNarrowEntry) {
    AddNarrow(20000, 'n');  // 8213 characters, then 8223 per CONTINUE
    EXPECT_EQ(Write(), (Sizes{8224, 8224, 1 + 20000 - 8213 - 8223}));
}

TEST_F(SstTest, ManySmallEntriesNeverSplitAHeader) {
    for (std::size_t i = 0; i < 3000; ++i) {
        if (i % 3 == 0) {
            AddWide(1 + i % 17, static_cast<char16_t>(u'A' + i % 26));
        } else {
            AddNarrow(1 + i % 13, static_cast<char>('a' + i % 26));
        }
    }
    const auto sizes = Write();  // DecodeEntries checks every entry and flag
    ASSERT_GT(sizes.size(), 1u);
    for (std::size_t size : sizes) EXPECT_LE(size, 8224u);
    EXPECT_EQ(records_[0].U32(4), 3000u);
}

// A record never ends between the two halves of a surrogate pair: readers that decode each
// piece on its own reject half a pair. The piece ends one code unit earlier instead.
struct PairCase {
    const char* name;
    std::size_t narrowBefore;  // an 8-bit entry of this length first (0: none)
    std::size_t units;         // then one wide entry of this many code units
    std::size_t pairAt;        // with a surrogate pair at this unit
    Sizes sizes;
};

void PrintTo(const PairCase& c, std::ostream* out) { *out << c.name; }

class SstPairTest : public SstTest, public ::testing::WithParamInterface<PairCase> {};

TEST_P(SstPairTest, PairStaysWhole) {
    const PairCase& c = GetParam();
    if (c.narrowBefore > 0) AddNarrow(c.narrowBefore, 'a');
    std::u16string text(c.units, u'\u6CF5');
    text[c.pairAt] = 0xD83D;  // U+1F600
    text[c.pairAt + 1] = 0xDE00;
    AddWideText(text);
    EXPECT_EQ(Write(), c.sizes);
    for (std::size_t r = 0; r + 1 < records_.size(); ++r) {
        const auto& payload = records_[r].payload;
        const unsigned last = payload[payload.size() - 2] | payload[payload.size() - 1] << 8;
        EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << "record " << r << " ends in a pair";
    }
}

// 4000 narrow bytes leave room for 2105 units of the wide entry in the SST record; a
// CONTINUE holds 4111 units after its flag byte.
INSTANTIATE_TEST_SUITE_P(
    Boundaries, SstPairTest,
    ::testing::Values(
        PairCase{"PairAcrossTheSstEnd", 4000, 3000, 2104, {8222, 1 + 2 * (3000 - 2104)}},
        PairCase{"PairEndingTheSst", 4000, 3000, 2103, {8224, 1 + 2 * (3000 - 2105)}},
        PairCase{"PairAfterTheSstEnd", 4000, 3000, 2105, {8224, 1 + 2 * (3000 - 2105)}},
        PairCase{"PairAcrossAContinueEnd", 0, 20000, 8216, {8223, 8221, 8223, 8223, 7125}},
        PairCase{"PairEndingAContinue", 0, 20000, 8215, {8223, 8223, 8223, 8223, 7123}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SstTest, ClearStartsOver) {
    AddNarrow(9000, 'x');
    Write();
    table_.Clear();
    EXPECT_EQ(table_.TotalCount(), 0u);
    EXPECT_EQ(table_.UniqueCount(), 0u);
    EXPECT_EQ(table_.TotalSize(), 12u);
}

}  // namespace
