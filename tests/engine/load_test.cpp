#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <string_view>
#include <vector>

#include "engine/opcua_browser.h"
#include "tests/engine/engine_test_support.h"

using engine_test::TempDir;

TEST(LoadFile, ReadsTheWholeFile) {
    TempDir dir;
    std::vector<unsigned char> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    const UaByteString loaded = OPCUABrowser::LoadFile(dir.Write("blob.der", bytes));
    ASSERT_EQ(loaded->length, bytes.size());
    EXPECT_EQ(std::memcmp(loaded->data, bytes.data(), bytes.size()), 0);
}

TEST(LoadFile, AnythingUnreadableIsEmpty) {
    TempDir dir;
    errno = 0;
    const UaByteString missing = OPCUABrowser::LoadFile((dir.Path() / "absent").string());
    EXPECT_EQ(missing->length, 0u);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(OPCUABrowser::LoadFile(dir.Write("empty", {}))->length, 0u);
    EXPECT_EQ(OPCUABrowser::LoadFile(dir.Path().string())->length, 0u);  // a directory
    EXPECT_EQ(OPCUABrowser::LoadFile("")->length, 0u);
}

TEST(LoadFile, AFifoIsRefusedAtOnceWithoutWaitingForAWriter) {
    const TempDir dir;
    const std::string fifo = (dir.Path() / "key.der").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    // Run apart so that a regression hangs only this thread; a writer opened below unblocks it.
    auto loaded =
        std::async(std::launch::async, [&] { return OPCUABrowser::LoadFile(fifo)->length; });
    const bool finished = loaded.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_TRUE(finished) << "LoadFile blocked on a FIFO";
    EXPECT_EQ(loaded.get(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(LoadFile, RefusesFilesOverOneMebibyte) {
    const TempDir dir;
    const std::vector<unsigned char> limit(1 << 20, 0x30);
    EXPECT_EQ(OPCUABrowser::LoadFile(dir.Write("limit.der", limit))->length, limit.size());
    const std::vector<unsigned char> over((1 << 20) + 1, 0x30);
    EXPECT_EQ(OPCUABrowser::LoadFile(dir.Write("over.der", over))->length, 0u);
    const std::vector<unsigned char> big(2 << 20, 0x30);
    EXPECT_EQ(OPCUABrowser::LoadFile(dir.Write("big.der", big))->length, 0u);
}
