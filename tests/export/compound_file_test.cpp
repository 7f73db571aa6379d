#include "export/storage/compound_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <random>

#include "compound_file_reader.h"
#include "temp_dir.h"

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatMarker = 0xFFFFFFFD;
constexpr std::uint32_t kDifatMarker = 0xFFFFFFFC;

std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

// Writes one stream "Workbook" holding `bytes`, the way the workbook writer does.
bool WriteWorkbookFile(const std::u16string& path, const std::vector<std::uint8_t>& bytes) {
    auto file = cfb::CompoundFile::Create(path);
    if (!file || !file->CreateStream(u"Workbook")) return false;
    auto stream = file->OpenStream(u"Workbook");
    return stream && stream->Write(bytes);
}

class CompoundFileTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(CompoundFileTest, NewFileIsHeaderFatAndDirectoryOnly) {
    auto file = cfb::CompoundFile::Create(dir_.File16("empty.cfb"));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Finish());
    const auto reader = CompoundFileReader::FromPath(dir_.File("empty.cfb"));
    EXPECT_EQ(reader.FileSize(), 3u * 512);
    EXPECT_EQ(reader.HeaderU32(0), 0xE011CFD0u);
    EXPECT_EQ(reader.HeaderU16(26), 3);      // major version
    EXPECT_EQ(reader.HeaderU16(30), 9);      // 512-byte sectors
    EXPECT_EQ(reader.HeaderU32(56), 4096u);  // mini stream cutoff
    EXPECT_EQ(reader.FatSectors(), 1u);
    EXPECT_EQ(reader.MiniFatStart(), kEndOfChain);
    EXPECT_EQ(reader.DifatStart(), kEndOfChain);
    ASSERT_EQ(reader.Entries().size(), 4u);
    EXPECT_EQ(reader.Entries()[0].name, u"Root Entry");
    EXPECT_EQ(reader.Entries()[0].type, 5);
    EXPECT_EQ(reader.Entries()[0].child, kFree);
    EXPECT_EQ(reader.Entries()[1].type, 0);  // unused entries
}

TEST_F(CompoundFileTest, CreateReplacesAnExistingFile) {
    {
        std::ofstream junk(dir_.File("old.xls"), std::ios::binary);
        junk << std::string(100000, 'x');
    }
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("old.xls"), {1, 2, 3}));
    const auto reader = CompoundFileReader::FromPath(dir_.File("old.xls"));
    EXPECT_EQ(reader.FileSize(), 5u * 512);  // header, mini stream, mini FAT, directory, FAT
    EXPECT_EQ(reader.ReadStream(u"Workbook"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(CompoundFileTest, CreateFailsWhereNoFileCanBeMade) {
    EXPECT_FALSE(cfb::CompoundFile::Create(dir_.File16("missing/dir/book.xls")));
    EXPECT_FALSE(cfb::CompoundFile::Create(u""));
    EXPECT_FALSE(cfb::CompoundFile::Create(dir_.File16("")));  // the directory itself
    EXPECT_FALSE(cfb::CompoundFile::Create(dir_.File16("a") + u'\0' + u"b"));
}

// Each writer builds its own temporary, so two writers on one path never mix: the file is
// whole from the one that finished last.
TEST_F(CompoundFileTest, TwoWritersOnOnePathNeverMix) {
    auto first = cfb::CompoundFile::Create(dir_.File16("held.xls"));
    auto second = cfb::CompoundFile::Create(dir_.File16("held.xls"));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->CreateStream(u"Workbook"));
    ASSERT_TRUE(second->CreateStream(u"Workbook"));
    ASSERT_TRUE(first->OpenStream(u"Workbook")->Write(RandomBytes(9000, 1)));
    ASSERT_TRUE(second->OpenStream(u"Workbook")->Write(RandomBytes(5000, 2)));
    ASSERT_TRUE(second->Finish());
    ASSERT_TRUE(first->Finish());
    const auto reader = CompoundFileReader::FromPath(dir_.File("held.xls"));
    EXPECT_EQ(reader.ReadStream(u"Workbook"), RandomBytes(9000, 1));
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"held.xls"});
}

// The old file stays as it was until the new one is finished; a discarded or failed one never
// replaces it, and no temporary stays behind.
TEST_F(CompoundFileTest, OldFileStaysUntilFinished) {
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("book.xls"), {1, 2, 3}));
    auto readBack = [&] {
        return CompoundFileReader::FromPath(dir_.File("book.xls")).ReadStream(u"Workbook");
    };
    auto file = cfb::CompoundFile::Create(dir_.File16("book.xls"));
    ASSERT_TRUE(file && file->CreateStream(u"Workbook"));
    ASSERT_TRUE(file->OpenStream(u"Workbook")->Write(RandomBytes(6000, 3)));
    EXPECT_EQ(readBack(), (std::vector<std::uint8_t>{1, 2, 3}));
    file->Discard();
    EXPECT_FALSE(file->Finish()) << "nothing left to finish";
    EXPECT_FALSE(file->CreateStream(u"Other"));
    EXPECT_EQ(readBack(), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"book.xls"});

    file = cfb::CompoundFile::Create(dir_.File16("book.xls"));
    ASSERT_TRUE(file && file->CreateStream(u"Workbook"));
    ASSERT_TRUE(file->OpenStream(u"Workbook")->Write(RandomBytes(6000, 3)));
    ASSERT_TRUE(file->Finish());
    EXPECT_EQ(readBack(), RandomBytes(6000, 3));
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"book.xls"});
}

TEST_F(CompoundFileTest, PathsAreConvertedToUtf8) {
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("") + u"/点表_Ü.xls", {7}));
    std::ifstream in(dir_.File("点表_Ü.xls"), std::ios::binary);
    EXPECT_TRUE(in.good());
}

TEST_F(CompoundFileTest, StreamNamesAreChecked) {
    auto file = cfb::CompoundFile::Create(dir_.File16("names.cfb"));
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->CreateStream(u""));
    EXPECT_FALSE(file->CreateStream(u"a/b"));
    EXPECT_FALSE(file->CreateStream(u"bang!"));
    EXPECT_FALSE(file->CreateStream(std::u16string(32, u'n')));
    EXPECT_TRUE(file->CreateStream(std::u16string(31, u'n')));
    EXPECT_FALSE(file->OpenStream(u"Workbook"));
    EXPECT_TRUE(file->CreateStream(u"Workbook"));
    EXPECT_TRUE(file->OpenStream(u"WORKBOOK"));  // names compare without case
}

// Streams below 4096 bytes live in the mini stream, from 4096 bytes on in regular sectors.
TEST_F(CompoundFileTest, MiniStreamCutoff) {
    for (std::size_t size : {1u, 63u, 64u, 65u, 4095u}) {
        const auto bytes = RandomBytes(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteWorkbookFile(dir_.File16("small.cfb"), bytes));
        const auto reader = CompoundFileReader::FromPath(dir_.File("small.cfb"));
        SCOPED_TRACE(size);
        const auto& root = reader.Entries()[0];
        const std::size_t miniSectors = (size + 63) / 64;
        EXPECT_EQ(root.size, miniSectors * 64);
        EXPECT_EQ(reader.Chain(root.start).size(), (miniSectors * 64 + 511) / 512);
        EXPECT_EQ(reader.MiniFatSectors(), 1u);
        EXPECT_EQ(reader.Entries()[1].start, 0u);  // first mini sector
        EXPECT_EQ(reader.ReadStream(u"Workbook"), bytes);
    }
    const auto bytes = RandomBytes(4096, 4096);
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("large.cfb"), bytes));
    const auto reader = CompoundFileReader::FromPath(dir_.File("large.cfb"));
    EXPECT_EQ(reader.MiniFatStart(), kEndOfChain);
    EXPECT_EQ(reader.MiniFatSectors(), 0u);
    EXPECT_EQ(reader.Entries()[0].start, kEndOfChain);  // no mini stream at all
    EXPECT_EQ(reader.Entries()[0].size, 0u);
    EXPECT_EQ(reader.Chain(reader.Entries()[1].start).size(), 8u);
    EXPECT_EQ(reader.ReadStream(u"Workbook"), bytes);
    EXPECT_EQ(reader.FileSize(), (1u + 8 + 1 + 1) * 512);  // header, data, directory, FAT
}

TEST_F(CompoundFileTest, EmptyStreamOwnsNoSectors) {
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("empty.cfb"), {}));
    const auto reader = CompoundFileReader::FromPath(dir_.File("empty.cfb"));
    ASSERT_GE(reader.Entries().size(), 2u);
    EXPECT_EQ(reader.Entries()[1].name, u"Workbook");
    EXPECT_EQ(reader.Entries()[1].size, 0u);
    EXPECT_EQ(reader.Entries()[1].start, kEndOfChain);
    EXPECT_EQ(reader.Entries()[1].colour, 1);  // a lone child is black
    EXPECT_EQ(reader.Entries()[0].child, 1u);
    EXPECT_EQ(reader.MiniFatStart(), kEndOfChain);
    EXPECT_EQ(reader.FileSize(), 3u * 512);
}

// One 512-byte FAT sector numbers 128 sectors, and the header lists 109 FAT sectors. With one
// directory sector and d data sectors, f FAT sectors suffice while d + 1 + f <= 128 f:
//   108 FAT sectors cover d up to 128*108 - 109 = 13715,
//   109 cover d up to 128*109 - 110 = 13842,
//   d = 13843 needs 110 FAT sectors and so one DIFAT sector.
struct FatEdge {
    std::uint32_t dataSectors;
    std::uint32_t fatSectors;
    std::uint32_t difatSectors;
};

class FatEdgeTest : public CompoundFileTest, public ::testing::WithParamInterface<FatEdge> {};

TEST_P(FatEdgeTest, FatAndDifatSectors) {
    const FatEdge edge = GetParam();
    const auto bytes = RandomBytes(std::size_t{edge.dataSectors} * 512 - 100, edge.dataSectors);
    ASSERT_TRUE(WriteWorkbookFile(dir_.File16("big.cfb"), bytes));
    const auto reader = CompoundFileReader::FromPath(dir_.File("big.cfb"));
    EXPECT_EQ(reader.FatSectors(), edge.fatSectors);
    EXPECT_EQ(reader.DifatSectors(), edge.difatSectors);
    const std::uint32_t total = edge.dataSectors + 1 + edge.fatSectors + edge.difatSectors;
    EXPECT_EQ(reader.FileSize(), (std::size_t{total} + 1) * 512);
    // Header DIFAT entries past the FAT sectors are free; FAT and DIFAT sectors are marked.
    for (std::uint32_t i = edge.fatSectors; i < 109; ++i) {
        EXPECT_EQ(reader.HeaderU32(76 + 4 * i), kFree);
    }
    std::size_t fatMarks = 0, difatMarks = 0, free = 0;
    for (std::size_t s = 0; s < reader.Fat().size(); ++s) {
        fatMarks += reader.Fat()[s] == kFatMarker;
        difatMarks += reader.Fat()[s] == kDifatMarker;
        free += reader.Fat()[s] == kFree;
        if (reader.Fat()[s] == kFree) {
            EXPECT_GE(s, total) << "a used sector marked free";
        }
    }
    EXPECT_EQ(fatMarks, edge.fatSectors);
    EXPECT_EQ(difatMarks, edge.difatSectors);
    EXPECT_EQ(free, reader.Fat().size() - total);
    EXPECT_EQ(reader.ReadStream(u"Workbook"), bytes);
}

INSTANTIATE_TEST_SUITE_P(Edges, FatEdgeTest,
                         ::testing::Values(FatEdge{13715, 108, 0}, FatEdge{13716, 109, 0},
                                           FatEdge{13842, 109, 0}, FatEdge{13843, 110, 1}),
                         [](const auto& info) {
                             return "Fat" + std::to_string(info.param.fatSectors) + "Data" +
                                    std::to_string(info.param.dataSectors);
                         });

TEST_F(CompoundFileTest, RewritingAStreamKeepsOnlyTheLastBytes) {
    const auto large = RandomBytes(20000, 1);
    const auto small = RandomBytes(300, 2);
    // Runs the first `writes` of: large, large, small, then empties the stream when asked.
    auto rewrite = [&](int writes, bool empty) {
        auto file = cfb::CompoundFile::Create(dir_.File16("rewrite.cfb"));
        EXPECT_TRUE(file && file->CreateStream(u"Workbook"));
        const std::vector<std::uint8_t>* sequence[] = {&large, &large, &small};
        for (int i = 0; i < writes; ++i) {
            EXPECT_TRUE(file->OpenStream(u"Workbook")->Write(*sequence[i]));
        }
        if (empty) {
            EXPECT_TRUE(file->CreateStream(u"Workbook"));
        }
        EXPECT_TRUE(file->Finish());
        return CompoundFileReader::FromPath(dir_.File("rewrite.cfb"));
    };
    auto reader = rewrite(2, false);
    EXPECT_EQ(reader.FileSize(), (1u + 40 + 1 + 1) * 512) << "the second write reuses the sectors";
    reader = rewrite(3, false);
    EXPECT_EQ(reader.ReadStream(u"Workbook"), small);
    EXPECT_EQ(reader.FileSize(), 5u * 512);
    reader = rewrite(3, true);
    EXPECT_EQ(reader.ReadStream(u"Workbook").size(), 0u);
}

TEST_F(CompoundFileTest, SeveralStreamsSideBySide) {
    auto file = cfb::CompoundFile::Create(dir_.File16("many.cfb"));
    ASSERT_TRUE(file);
    std::vector<std::vector<std::uint8_t>> contents;
    const std::size_t sizes[] = {5000, 10, 0, 4096, 700, 9000};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const std::u16string name = u"S" + std::u16string(i + 1, u'x');
        ASSERT_TRUE(file->CreateStream(name));
        contents.push_back(RandomBytes(sizes[i], static_cast<unsigned>(i)));
        ASSERT_TRUE(file->OpenStream(name)->Write(contents.back()));
    }
    // A large stream that shrinks leaves a hole before the later streams' data.
    contents[0] = RandomBytes(100, 99);
    ASSERT_TRUE(file->OpenStream(u"Sx")->Write(contents[0]));
    ASSERT_TRUE(file->Finish());
    const auto reader = CompoundFileReader::FromPath(dir_.File("many.cfb"));
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(reader.ReadStream(u"S" + std::u16string(i + 1, u'x')), contents[i]) << i;
    }
    EXPECT_EQ(reader.Fat()[0], kFree) << "the shrunk stream's old sectors are free";
}

}  // namespace
