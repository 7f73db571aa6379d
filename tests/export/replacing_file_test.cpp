#include "export/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "temp_dir.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class ReplacingFileTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(ReplacingFileTest, CommitPutsTheNewBytesInPlace) {
    WriteAll(dir_.File("t.bin"), "old");
    ASSERT_EQ(::chmod(dir_.File("t.bin").c_str(), 0640), 0);
    ReplacingFile file = ReplacingFile::Begin(dir_.File("t.bin"));
    ASSERT_TRUE(file.IsOpen());
    EXPECT_NE(file.TemporaryPath(), dir_.File("t.bin"));
    ASSERT_TRUE(file.Append("new ", 4));
    ASSERT_TRUE(file.Append("bytes", 5));
    ASSERT_TRUE(file.WriteAt(0, "N", 1));
    EXPECT_EQ(ReadAll(dir_.File("t.bin")), "old") << "untouched until the commit";
    EXPECT_EQ(dir_.Names().size(), 2u) << "the temporary lies beside the target";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadAll(dir_.File("t.bin")), "New bytes");
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"t.bin"});
    struct stat info {};
    ASSERT_EQ(::stat(dir_.File("t.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file's mode is kept";
    EXPECT_FALSE(file.Commit()) << "committed once only";
    EXPECT_FALSE(file.Append("x", 1));
}

TEST_F(ReplacingFileTest, DroppedOrTruncatedBeforeCommit) {
    WriteAll(dir_.File("t.bin"), "old");
    {
        ReplacingFile file = ReplacingFile::Begin(dir_.File("t.bin"));
        ASSERT_TRUE(file.Append("never seen", 10));
    }
    EXPECT_EQ(ReadAll(dir_.File("t.bin")), "old");
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"t.bin"});

    ReplacingFile file = ReplacingFile::Begin(dir_.File("new.bin"));
    ASSERT_TRUE(file.Append("0123456789", 10));
    ASSERT_TRUE(file.Truncate(4));
    ReplacingFile moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Commit());
    ASSERT_TRUE(moved.Commit());
    EXPECT_EQ(ReadAll(dir_.File("new.bin")), "0123");
}

TEST_F(ReplacingFileTest, FailsWhereNothingCanBeWritten) {
    EXPECT_FALSE(ReplacingFile::Begin(dir_.File("missing/t.bin")).IsOpen());
    EXPECT_FALSE(ReplacingFile::Begin("").IsOpen());
    EXPECT_FALSE(ReplacingFile::Begin(dir_.File("")).IsOpen()) << "a directory, not a file";
    // A directory in the way is refused before anything is written.
    ASSERT_EQ(::mkdir(dir_.File("sub").c_str(), 0755), 0);
    WriteAll(dir_.File("sub/keep"), "k");
    ReplacingFile file = ReplacingFile::Begin(dir_.File("sub"));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), EISDIR);
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"sub"});
    EXPECT_EQ(ReadAll(dir_.File("sub/keep")), "k");
}

}  // namespace
