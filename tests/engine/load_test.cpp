#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <string_view>
#include <vector>

#include "engine/opcua_browser.h"
#include "resources/hex_resources.h"
#include "tests/engine/engine_test_support.h"

using engine_test::TempDir;

namespace {

std::string_view View(const UaByteString& bytes) {
    return {reinterpret_cast<const char*>(bytes->data), bytes->length};
}

}  // namespace

TEST(BuiltInIdentity, CertificateIsDerAndNamesTheApplicationUri) {
    const UaByteString certificate = OPCUABrowser::LoadHexResource(148);
    ASSERT_GT(certificate->length, 500u);
    EXPECT_EQ(certificate->data[0], 0x30);  // a DER SEQUENCE
    EXPECT_EQ(certificate->data[1], 0x82);  // with a two-byte length ...
    const std::size_t declared = (certificate->data[2] << 8) | certificate->data[3];
    EXPECT_EQ(declared + 4, certificate->length);  // ... that covers exactly the whole
    EXPECT_NE(View(certificate).find("urn:open62541.client.application"), std::string_view::npos);
}

TEST(BuiltInIdentity, KeyIsA2048BitPkcs1RsaKey) {
    const UaByteString key = OPCUABrowser::LoadHexResource(149);
    ASSERT_GT(key->length, 1100u);
    EXPECT_LT(key->length, 1300u);
    // RSAPrivateKey ::= SEQUENCE { version 0, modulus INTEGER of 257 bytes (leading zero), ... }
    const unsigned char head[] = {0x30, 0x82};
    const unsigned char versionAndModulus[] = {0x02, 0x01, 0x00, 0x02, 0x82, 0x01, 0x01, 0x00};
    EXPECT_EQ(std::memcmp(key->data, head, 2), 0);
    EXPECT_EQ(std::memcmp(key->data + 4, versionAndModulus, sizeof versionAndModulus), 0);
}

TEST(BuiltInIdentity, EachLoadIsACopyAndOtherIdsAreEmpty) {
    const UaByteString first = OPCUABrowser::LoadHexResource(148);
    const UaByteString second = OPCUABrowser::LoadHexResource(148);
    EXPECT_NE(first->data, second->data);
    EXPECT_TRUE(UA_ByteString_equal(first.get(), second.get()));
    EXPECT_FALSE(UA_ByteString_equal(first.get(), OPCUABrowser::LoadHexResource(149).get()));
    for (int id : {0, 147, 150, -148}) {
        const UaByteString none = OPCUABrowser::LoadHexResource(id);
        EXPECT_EQ(none->length, 0u) << id;
        EXPECT_EQ(none->data, nullptr) << id;
    }
}

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
    auto loaded = std::async(std::launch::async, [&] { return OPCUABrowser::LoadFile(fifo)->length; });
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
