#include "tools/relay/uatcp_chunk.h"

#include <cstring>

namespace uatcp {

namespace {

// The stack's own limit on a chunk is far below this; anything larger is not a header.
constexpr std::uint32_t kMaxChunk = 64u << 20;

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

bool TypeIs(std::span<const std::uint8_t> chunk, const char* type) {
    return chunk.size() >= 3 && std::memcmp(chunk.data(), type, 3) == 0;
}

// Skips a length-prefixed string or byte string (-1: null) at `at`; false when it does not fit.
bool SkipString(std::span<const std::uint8_t> chunk, std::size_t& at) {
    if (at + 4 > chunk.size()) return false;
    const auto length = static_cast<std::int32_t>(U32(chunk, at));
    at += 4;
    if (length <= 0) return true;
    if (static_cast<std::size_t>(length) > chunk.size() - at) return false;
    at += static_cast<std::size_t>(length);
    return true;
}

}  // namespace

std::optional<std::uint32_t> ChunkSize(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    const std::uint32_t size = U32(bytes, 4);
    if (size < kHeaderSize || size > kMaxChunk) return std::nullopt;
    return size;
}

Kind KindOf(std::span<const std::uint8_t> chunk) {
    if (TypeIs(chunk, "MSG")) return Kind::kMessage;
    if (TypeIs(chunk, "OPN")) return Kind::kOpen;
    if (TypeIs(chunk, "CLO")) return Kind::kClose;
    return Kind::kOther;
}

bool IsLastChunk(std::span<const std::uint8_t> chunk) {
    return chunk.size() >= 4 && (chunk[3] == 'F' || chunk[3] == 'A');
}

std::optional<std::size_t> SequenceOffset(std::span<const std::uint8_t> chunk) {
    std::size_t at = kHeaderSize + 4;  // past the secure channel id
    switch (KindOf(chunk)) {
        case Kind::kMessage:
        case Kind::kClose:
            at += 4;  // token id
            break;
        case Kind::kOpen:
            // policy URI, sender certificate, receiver thumbprint
            for (int i = 0; i < 3; ++i)
                if (!SkipString(chunk, at)) return std::nullopt;
            break;
        case Kind::kOther:
            return std::nullopt;
    }
    if (at + 8 > chunk.size()) return std::nullopt;
    return at;
}

std::optional<std::uint32_t> RequestId(std::span<const std::uint8_t> chunk) {
    const std::optional<std::size_t> at = SequenceOffset(chunk);
    if (!at) return std::nullopt;
    return U32(chunk, *at + 4);
}

void ShiftSequenceNumber(std::span<std::uint8_t> chunk, std::uint32_t delta) {
    const std::optional<std::size_t> at = SequenceOffset(chunk);
    if (!at) return;
    const std::uint32_t shifted = U32(chunk, *at) + delta;
    for (int i = 0; i < 4; ++i)
        chunk[*at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(shifted >> (8 * i));
}

std::optional<std::uint32_t> ServiceTypeId(std::span<const std::uint8_t> chunk) {
    if (KindOf(chunk) != Kind::kMessage) return std::nullopt;
    const std::size_t at = kHeaderSize + 4 + 4 + 8;
    if (at + 4 > chunk.size()) return std::nullopt;
    switch (chunk[at]) {
        case 0x00:  // two-byte form
            return chunk[at + 1];
        case 0x01:  // four-byte form: namespace byte, then the number
            return std::uint32_t{chunk[at + 2]} | std::uint32_t{chunk[at + 3]} << 8;
        case 0x02:  // numeric
            if (at + 7 > chunk.size()) return std::nullopt;
            return U32(chunk, at + 3);
        default:
            return std::nullopt;
    }
}

}  // namespace uatcp
