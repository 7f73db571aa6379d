// The relay's reading of OPC UA TCP chunks, on chunks built by hand from the format: header
// (type, chunk kind, size), secure channel id, security header, sequence number, request id.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/relay/uatcp_chunk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void U32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A chunk of `type` whose security header is `security`, then sequence number, request id and
// `body`; the size field is filled in.
Bytes Chunk(const char* type, char kind, const Bytes& security, std::uint32_t sequence,
            std::uint32_t requestId, const Bytes& body = {}) {
    Bytes b(type, type + 3);
    b.push_back(static_cast<std::uint8_t>(kind));
    U32(b, 0);  // size, below
    U32(b, 7);  // secure channel id
    b.insert(b.end(), security.begin(), security.end());
    U32(b, sequence);
    U32(b, requestId);
    b.insert(b.end(), body.begin(), body.end());
    const auto size = static_cast<std::uint32_t>(b.size());
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    return b;
}

Bytes TokenHeader() {
    Bytes b;
    U32(b, 1);  // token id
    return b;
}

// Policy URI "None"-like text, no certificate (-1), no thumbprint (-1).
Bytes AsymmetricHeader() {
    Bytes b;
    const std::string uri = "http://opcfoundation.org/UA/SecurityPolicy#None";
    U32(b, static_cast<std::uint32_t>(uri.size()));
    b.insert(b.end(), uri.begin(), uri.end());
    U32(b, 0xFFFFFFFF);
    U32(b, 0xFFFFFFFF);
    return b;
}

Bytes FourByteTypeId(std::uint16_t id) {
    return {0x01, 0x00, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)};
}

TEST(RelayChunks, SizeNeedsAWholePlausibleHeader) {
    const Bytes msg = Chunk("MSG", 'F', TokenHeader(), 5, 9);
    EXPECT_EQ(uatcp::ChunkSize(msg), msg.size());
    EXPECT_FALSE(uatcp::ChunkSize(std::span(msg).first(7)));
    Bytes tiny = msg;
    tiny[4] = 3;  // smaller than a header
    tiny[5] = tiny[6] = tiny[7] = 0;
    EXPECT_FALSE(uatcp::ChunkSize(tiny));
}

struct KindCase {
    Bytes chunk;
    uatcp::Kind kind;
    std::optional<std::uint32_t> requestId;
    bool last;
};

TEST(RelayChunks, FindsTheRequestIdPastEachKindOfSecurityHeader) {
    const std::vector<KindCase> cases = {
        {Chunk("MSG", 'F', TokenHeader(), 5, 9), uatcp::Kind::kMessage, 9, true},
        {Chunk("MSG", 'C', TokenHeader(), 6, 10), uatcp::Kind::kMessage, 10, false},
        {Chunk("MSG", 'A', TokenHeader(), 6, 11), uatcp::Kind::kMessage, 11, true},
        {Chunk("CLO", 'F', TokenHeader(), 7, 12), uatcp::Kind::kClose, 12, true},
        {Chunk("OPN", 'F', AsymmetricHeader(), 1, 13), uatcp::Kind::kOpen, 13, true},
        {Chunk("HEL", 'F', {}, 0, 0), uatcp::Kind::kOther, std::nullopt, true},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(uatcp::KindOf(c.chunk), c.kind);
        EXPECT_EQ(uatcp::RequestId(c.chunk), c.requestId);
        EXPECT_EQ(uatcp::IsLastChunk(c.chunk), c.last);
    }
    // An OPN whose certificate length runs past the chunk has no readable sequence header.
    Bytes broken = AsymmetricHeader();
    const std::size_t certificate = broken.size() - 8;  // its length: 0x40000000 bytes
    broken[certificate] = broken[certificate + 1] = broken[certificate + 2] = 0;
    broken[certificate + 3] = 0x40;
    EXPECT_FALSE(uatcp::RequestId(Chunk("OPN", 'F', broken, 1, 13)));
}

TEST(RelayChunks, ShiftingTheSequenceNumberWrapsAndLeavesTheRequestId) {
    Bytes msg = Chunk("MSG", 'F', TokenHeader(), 5, 9);
    uatcp::ShiftSequenceNumber(msg, 0u - 2u);
    EXPECT_EQ(msg, Chunk("MSG", 'F', TokenHeader(), 3, 9));
    uatcp::ShiftSequenceNumber(msg, 0u - 4u);
    EXPECT_EQ(msg, Chunk("MSG", 'F', TokenHeader(), 0xFFFFFFFF, 9));
    Bytes opn = Chunk("OPN", 'F', AsymmetricHeader(), 40, 2);
    uatcp::ShiftSequenceNumber(opn, 0u - 1u);
    EXPECT_EQ(opn, Chunk("OPN", 'F', AsymmetricHeader(), 39, 2));
}

TEST(RelayChunks, ReadsTheServiceTypeOfAMessage) {
    EXPECT_EQ(uatcp::ServiceTypeId(Chunk("MSG", 'F', TokenHeader(), 1, 1, FourByteTypeId(527))),
              527u);
    EXPECT_EQ(uatcp::ServiceTypeId(Chunk("MSG", 'F', TokenHeader(), 1, 1, FourByteTypeId(631))),
              631u);
    EXPECT_EQ(uatcp::ServiceTypeId(Chunk("MSG", 'F', TokenHeader(), 1, 1, {0x00, 0x2A, 0, 0})),
              42u);
    Bytes numeric = {0x02, 0x00, 0x00};
    U32(numeric, 70000);
    EXPECT_EQ(uatcp::ServiceTypeId(Chunk("MSG", 'F', TokenHeader(), 1, 1, numeric)), 70000u);
    EXPECT_FALSE(uatcp::ServiceTypeId(Chunk("MSG", 'F', TokenHeader(), 1, 1, {0x03, 0, 0, 0})));
    EXPECT_FALSE(
        uatcp::ServiceTypeId(Chunk("OPN", 'F', AsymmetricHeader(), 1, 1, FourByteTypeId(446))));
}

}  // namespace
