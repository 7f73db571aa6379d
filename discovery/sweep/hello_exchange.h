#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a TCP port turned out to be.
enum class PortState {
    OpcUa,     // answered the Hello with an Acknowledge or an Error message
    NotOpcUa,  // accepted the connection and answered otherwise (or hung up)
    Silent,    // accepted the connection and said nothing before the timeout
    Closed,    // refused the connection
    NoAnswer,  // the connect itself did not finish before the timeout
};

// The OPC UA Hello message (UA-TCP "HELF") for `endpointUrl`.
std::vector<std::uint8_t> HelloMessage(const std::string& endpointUrl);

// Judges the first bytes a port sent back after the Hello; none while more are needed.
// `hungUp`: the peer closed the connection after those bytes.
std::optional<PortState> ClassifyReply(std::span<const std::uint8_t> reply, bool hungUp);
