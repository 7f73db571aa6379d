#include "discovery/sweep/hello_exchange.h"

#include <algorithm>
#include <cstring>

namespace {

void PutUInt32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t UInt32At(std::span<const std::uint8_t> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

}  // namespace

std::vector<std::uint8_t> HelloMessage(const std::string& endpointUrl) {
    std::vector<std::uint8_t> message{'H', 'E', 'L', 'F'};
    const auto size = static_cast<std::uint32_t>(32 + endpointUrl.size());
    PutUInt32(message, size);
    PutUInt32(message, 0);        // protocol version
    PutUInt32(message, 1 << 16);  // receive buffer size
    PutUInt32(message, 1 << 16);  // send buffer size
    PutUInt32(message, 0);        // max message size: no limit
    PutUInt32(message, 0);        // max chunk count: no limit
    PutUInt32(message, static_cast<std::uint32_t>(endpointUrl.size()));
    message.insert(message.end(), endpointUrl.begin(), endpointUrl.end());
    return message;
}

std::optional<PortState> ClassifyReply(std::span<const std::uint8_t> reply, bool hungUp) {
    // An Acknowledge is 28 bytes, an Error at least 16; the header alone decides, so a server
    // that refuses our URL (Error) is still known for what it is.
    if (reply.empty()) return hungUp ? std::optional(PortState::NotOpcUa) : std::nullopt;
    static constexpr std::uint8_t kAck[4] = {'A', 'C', 'K', 'F'};
    static constexpr std::uint8_t kErr[4] = {'E', 'R', 'R', 'F'};
    const std::size_t known = std::min<std::size_t>(reply.size(), 4);
    const bool maybeAck = std::memcmp(reply.data(), kAck, known) == 0;
    const bool maybeErr = std::memcmp(reply.data(), kErr, known) == 0;
    if (!maybeAck && !maybeErr) return PortState::NotOpcUa;
    if (reply.size() < 8) {
        if (hungUp) return PortState::NotOpcUa;
        return std::nullopt;
    }
    const std::uint32_t size = UInt32At(reply, 4);
    const bool plausible = maybeAck ? size == 28 : size >= 16 && size <= (1u << 16);
    return plausible ? PortState::OpcUa : PortState::NotOpcUa;
}
