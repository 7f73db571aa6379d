// The bottom layer's file helpers: writes that a signal or a full pipe cuts short still finish,
// reads that refuse what is not a small regular file, replacements with the asked mode.
#include "os/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What the fake write does on each call, in order; after the script, the rest is written.
struct Step {
    ssize_t result;  // bytes taken (at most what was asked), or -1
    int error;       // errno with -1
};
std::vector<Step> script;
std::size_t nextStep = 0;
std::string written;

ssize_t ScriptedWrite(int, const void* data, std::size_t size) {
    ssize_t n = static_cast<ssize_t>(size);
    if (nextStep < script.size()) {
        const Step step = script[nextStep++];
        if (step.result < 0) {
            errno = step.error;
            return -1;
        }
        n = std::min(n, step.result);
    }
    written.append(static_cast<const char*>(data), static_cast<std::size_t>(n));
    return n;
}

TEST(WriteAll, FinishesThroughInterruptionsAndShortWritesAndStopsAtARefusal) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        bool ok;
        int error;
        std::string expected;
    } cases[] = {
        {"one write", {}, true, 0, "abcdefghij"},
        {"interrupted first", {{-1, EINTR}, {-1, EINTR}}, true, 0, "abcdefghij"},
        {"short writes", {{3, 0}, {1, 0}, {-1, EINTR}, {2, 0}}, true, 0, "abcdefghij"},
        {"refused after a part", {{4, 0}, {-1, EPIPE}}, false, EPIPE, "abcd"},
        {"nothing taken", {{2, 0}, {0, 0}}, false, ENOSPC, "ab"},
    };
    for (const auto& c : cases) {
        script = c.steps;
        nextStep = 0;
        written.clear();
        errno = 0;
        EXPECT_EQ(WriteAll(-1, std::string_view("abcdefghij"), ScriptedWrite), c.ok) << c.name;
        EXPECT_EQ(written, c.expected) << c.name;
        if (!c.ok) {
            EXPECT_EQ(errno, c.error) << c.name;
        }
    }
}

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-os-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(FileIoTest, ReadsOnlySmallRegularFiles) {
    {
        std::ofstream(dir / "small") << "content";
        std::ofstream big(dir / "big");
        big << std::string(1025, 'x');
    }
    ASSERT_EQ(::symlink("small", (dir / "link").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const struct {
        const char* name;
        bool followLinks;
        ReadFailure failure;
        std::size_t size;
    } cases[] = {
        {"small", true, ReadFailure::None, 7},    {"big", true, ReadFailure::TooBig, 0},
        {"link", true, ReadFailure::None, 7},     {"link", false, ReadFailure::Link, 0},
        {"fifo", true, ReadFailure::NotAFile, 0}, {"missing", true, ReadFailure::Missing, 0},
        {".", true, ReadFailure::NotAFile, 0},
    };
    for (const auto& c : cases) {
        const SmallFile file = ReadFileUpTo(dir / c.name, 1024, c.followLinks);
        EXPECT_EQ(file.failure, c.failure) << c.name << " " << c.followLinks;
        EXPECT_EQ(file.bytes.size(), c.size) << c.name;
    }
}

TEST_F(FileIoTest, ReplacesWithTheAskedModeWhateverTheUmask) {
    const mode_t saved = ::umask(0);
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    const bool first = ReplaceFileAtomically(dir / "f", bytes, 0600);
    ::umask(077);
    const bool second = ReplaceFileAtomically(dir / "g", bytes, 0644);
    ::umask(saved);
    ASSERT_TRUE(first && second);
    struct stat info {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat((dir / "g").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(ReadFileUpTo(dir / "f").bytes, bytes);
    // No temporary left behind; a missing folder is a failure, not a crash.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);
    EXPECT_FALSE(ReplaceFileAtomically(dir / "none" / "f", bytes, 0600));
}

}  // namespace
