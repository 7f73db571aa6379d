// Export targets that are not plain files: links are followed, devices and FIFOs written into
// and never replaced, sockets and directories refused; and an export that is cancelled leaves
// nothing behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "export/point_export.h"
#include "export/replacing_file.h"
#include "sample_points.h"
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

mode_t TypeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

bool Put(const std::string& path, const std::string& text) {
    ReplacingFile file = ReplacingFile::Begin(path);
    return file.IsOpen() && file.Append(text.data(), text.size()) && file.Commit();
}

class ExportTargetTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(ExportTargetTest, ALinkChainReplacesTheFileAtItsEndAndStays) {
    ASSERT_EQ(::mkdir(dir_.File("data").c_str(), 0755), 0);
    WriteAll(dir_.File("data/real.csv"), "old");
    ASSERT_EQ(::chmod(dir_.File("data/real.csv").c_str(), 0604), 0);
    // first → (absolute) second → (relative, other directory) data/real.csv
    ASSERT_EQ(::symlink("data/real.csv", dir_.File("second").c_str()), 0);
    ASSERT_EQ(::symlink(dir_.File("second").c_str(), dir_.File("first").c_str()), 0);
    ASSERT_TRUE(Put(dir_.File("first"), "new"));
    EXPECT_EQ(TypeOf(dir_.File("first")), S_IFLNK);
    EXPECT_EQ(TypeOf(dir_.File("second")), S_IFLNK);
    EXPECT_EQ(ReadAll(dir_.File("data/real.csv")), "new");
    struct stat st {};
    ASSERT_EQ(::stat(dir_.File("data/real.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"data", "first", "second"}));
}

TEST_F(ExportTargetTest, ADanglingLinkGetsTheFileItNamesAndALoopFails) {
    ASSERT_EQ(::symlink("made.csv", dir_.File("link").c_str()), 0);
    ASSERT_TRUE(Put(dir_.File("link"), "x"));
    EXPECT_EQ(TypeOf(dir_.File("link")), S_IFLNK);
    EXPECT_EQ(ReadAll(dir_.File("made.csv")), "x");

    ASSERT_EQ(::symlink("b", dir_.File("a").c_str()), 0);
    ASSERT_EQ(::symlink("a", dir_.File("b").c_str()), 0);
    ReplacingFile loop = ReplacingFile::Begin(dir_.File("a"));
    EXPECT_FALSE(loop.IsOpen());
    EXPECT_EQ(loop.Error(), ELOOP);
}

TEST_F(ExportTargetTest, AFifoWithoutAReaderFailsAtOnceAndStaysAFifo) {
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ReplacingFile file = ReplacingFile::Begin(fifo);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Error(), ENXIO);
    EXPECT_EQ(TypeOf(fifo), S_IFIFO);
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"pipe"});
}

TEST_F(ExportTargetTest, AFifoWithAReaderGetsTheWholeContent) {
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ::fcntl(reader, F_SETFL, ::fcntl(reader, F_GETFL) & ~O_NONBLOCK);
    // More than a pipe holds, so the writer must wait for the reader.
    const std::string content(300000, 'p');
    std::string received;
    std::atomic<bool> done{false};
    std::thread drain([&] {
        char buffer[8192];
        for (;;) {
            // Until the writer comes, and after it has gone, a read finds the end.
            const ssize_t n = ::read(reader, buffer, sizeof buffer);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
            } else if (done) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    const bool put = Put(fifo, content);
    done = true;
    drain.join();
    ::close(reader);
    EXPECT_TRUE(put);
    EXPECT_EQ(received.size(), content.size());
    EXPECT_TRUE(received == content);
    EXPECT_EQ(TypeOf(fifo), S_IFIFO);
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"pipe"});
}

TEST_F(ExportTargetTest, SocketsAndDirectoriesAreRefused) {
    const std::string socketPath = dir_.File("sock");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::mkdir(dir_.File("dir").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("dir", dir_.File("to-dir").c_str()), 0);

    for (const char* name : {"sock", "dir", "to-dir"}) {
        EXPECT_FALSE(ReplacingFile::Begin(dir_.File(name)).IsOpen()) << name;
    }
    ::close(fd);
    EXPECT_EQ(TypeOf(socketPath), S_IFSOCK);
    EXPECT_EQ(TypeOf(dir_.File("dir")), S_IFDIR);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"dir", "sock", "to-dir"}));
}

TEST_F(ExportTargetTest, CharacterDevicesAreWrittenIntoNeverReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "making device nodes needs root";
    // Private copies of /dev/null (1:3) and /dev/full (1:7).
    const std::string null = dir_.File("null");
    const std::string full = dir_.File("full");
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_TRUE(Put(null, "into nothing"));
    ReplacingFile file = ReplacingFile::Begin(full);
    ASSERT_TRUE(file.IsOpen());
    ASSERT_TRUE(file.Append("never fits", 10));
    EXPECT_FALSE(file.Commit()) << "a device that refuses the bytes fails the export";
    EXPECT_EQ(file.Error(), ENOSPC);
    EXPECT_EQ(TypeOf(null), S_IFCHR);
    EXPECT_EQ(TypeOf(full), S_IFCHR);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"full", "null"}));
}

TEST_F(ExportTargetTest, ADescriptorGetsTheContentAndStaysOpen) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
        ReplacingFile file = ReplacingFile::Into(fds[1]);
        ASSERT_TRUE(file.IsOpen());
        ASSERT_TRUE(file.WriteAt(3, "def", 3));
        ASSERT_TRUE(file.WriteAt(0, "abc", 3));
        ASSERT_TRUE(file.Commit());
    }
    ASSERT_EQ(::write(fds[1], "!", 1), 1) << "still ours to write to";
    ::close(fds[1]);
    char buffer[16] = {};
    EXPECT_EQ(::read(fds[0], buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "abcdef!");
    ::close(fds[0]);
}

// Spreadsheet programs want the byte-order mark in a file; a pipe's reader would take it for
// part of the first column's name.
TEST_F(ExportTargetTest, CsvHasAByteOrderMarkInAFileAndNoneOnADescriptor) {
    const SamplePoints points = SamplePoints::Handful();
    ASSERT_TRUE(ExportPoints(points.Pointers(), dir_.File16("f.csv"), ExportFormat::Csv).saved);
    EXPECT_EQ(ReadAll(dir_.File("f.csv")).substr(0, 6), "\xEF\xBB\xBFID,");

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const ExportResult piped = ExportPointsTo(points.Pointers(), fds[1], ExportFormat::Csv);
    ::close(fds[1]);
    std::string read;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) read.append(buffer, n);
    ::close(fds[0]);
    ASSERT_TRUE(piped.saved);
    EXPECT_EQ(read.substr(0, 3), "ID,");
    EXPECT_EQ(read, ReadAll(dir_.File("f.csv")).substr(3)) << "the same text after the mark";
}

// Text for a descriptor goes out as it is made, with no temporary file at all; only the
// workbooks, which are laid out by offset, still need one.
TEST_F(ExportTargetTest, TextStreamsIntoADescriptorAndOnlyWorkbooksNeedATemporary) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
        ReplacingFile file = ReplacingFile::Stream(fds[1]);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_FALSE(file.WantsByteOrderMark());
        ASSERT_TRUE(file.Append("abc", 3));
        char early[4] = {};
        EXPECT_EQ(::read(fds[0], early, 3), 3) << "there before the end";
        EXPECT_STREQ(early, "abc");
        EXPECT_FALSE(file.WriteAt(0, "x", 1));
        EXPECT_EQ(file.Error(), ESPIPE);
        EXPECT_FALSE(file.Commit()) << "a failed write sticks";
    }
    ASSERT_EQ(::write(fds[1], "!", 1), 1) << "still ours to write to";
    ::close(fds[1]);
    char rest[4] = {};
    EXPECT_EQ(::read(fds[0], rest, sizeof rest), 1);
    ::close(fds[0]);

    const char* saved = std::getenv("TMPDIR");
    const std::string before = saved ? saved : "";
    ::setenv("TMPDIR", (dir_.File("none")).c_str(), 1);  // no temporary can be made there
    const SamplePoints points = SamplePoints::Handful();
    for (ExportFormat format : {ExportFormat::Csv, ExportFormat::Json, ExportFormat::TagsCsv,
                                ExportFormat::Telegraf, ExportFormat::Xls, ExportFormat::Xlsx}) {
        SCOPED_TRACE(static_cast<int>(format));
        const int out = ::open(dir_.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(out, 0);
        const ExportResult result = ExportPointsTo(points.Pointers(), out, format);
        ::close(out);
        const bool workbook = format == ExportFormat::Xls || format == ExportFormat::Xlsx;
        EXPECT_EQ(result.saved, !workbook);
        EXPECT_EQ(ReadAll(dir_.File("out")).empty(), workbook);
    }
    if (saved) {
        ::setenv("TMPDIR", before.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

// A name is the bytes the user gave, whether or not they are UTF-8.
TEST_F(ExportTargetTest, TheNameKeepsItsBytes) {
    const SamplePoints points = SamplePoints::Handful();
    const std::string name = dir_.File("\xff\xfe-\xe7\x82\xb9.csv");
    ASSERT_TRUE(
        ExportPoints(points.Pointers(), std::filesystem::path(name), ExportFormat::Csv).saved);
    EXPECT_EQ(TypeOf(name), S_IFREG);
    EXPECT_EQ(ReadAll(name).substr(0, 6), "\xEF\xBB\xBFID,");
}

// A cancel at any point leaves the old file as it was and no temporary behind, in every format.
TEST_F(ExportTargetTest, ACancelledExportLeavesTheOldFileAlone) {
    SamplePoints points;
    for (UA_UInt32 i = 0; i < 5000; ++i) points.AddNumeric(2, i, 5);
    for (const ExportFormat format : {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv}) {
        for (const std::size_t stopAt : {std::size_t{0}, std::size_t{2048}, std::size_t{5000}}) {
            WriteAll(dir_.File("old.out"), "old");
            std::size_t lastDone = 0;
            const ExportProgress progress = [&](std::size_t done, std::size_t total) {
                EXPECT_EQ(total, 5000u);
                EXPECT_GE(done, lastDone);
                lastDone = done;
                return done < stopAt;
            };
            const ExportResult result =
                ExportPoints(points.Pointers(), dir_.File16("old.out"), format, &progress);
            const std::string where =
                std::to_string(static_cast<int>(format)) + " at " + std::to_string(stopAt);
            EXPECT_FALSE(result.saved) << where;
            EXPECT_TRUE(result.cancelled) << where;
            EXPECT_EQ(lastDone, stopAt) << where;
            EXPECT_EQ(ReadAll(dir_.File("old.out")), "old") << where;
            EXPECT_EQ(dir_.Names(), std::vector<std::string>{"old.out"}) << where;
        }
        // Never stopped: told at every step up to the end, and the file is replaced.
        std::size_t lastDone = 0;
        const ExportProgress progress = [&](std::size_t done, std::size_t) {
            lastDone = done;
            return true;
        };
        const ExportResult result =
            ExportPoints(points.Pointers(), dir_.File16("old.out"), format, &progress);
        EXPECT_TRUE(result.saved);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(lastDone, 5000u);
        EXPECT_NE(ReadAll(dir_.File("old.out")), "old");
    }
}

}  // namespace
