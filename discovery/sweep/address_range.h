#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "texts/text_table.h"

// One address a sweep knocks at: the numeric address as text ("10.1.2.3", "fe80::1") and the
// name the user typed when it came from a host name.
struct SweepHost {
    std::string address;
    std::string name;
    bool ipv6 = false;
};

// Why a range or a port list was refused: the text key and the part of the input it is about.
struct InputError {
    TextKey key;
    std::string detail;
};

struct RangeParse {
    std::vector<SweepHost> hosts;
    std::optional<InputError> error;
};

// The most addresses one range may name: a /16.
inline constexpr std::size_t kMaxRangeHosts = 65536;

// "10.1.2.0/24", "10.1.2.10-10.1.2.60", "10.1.2.7", "::1", "[fe80::1]", "plc-7.local". A /24
// and wider leaves out its network and broadcast address; a host name gives every address it
// resolves to, IPv4 first.
RangeParse ParseRange(const std::string& text);

struct PortParse {
    std::vector<std::uint16_t> ports;
    std::optional<InputError> error;
};

// "4840,4841,48010-48020": each port once, in the order given.
PortParse ParsePorts(const std::string& text);

// The ports asked when the user names none: the standard one and those vendors use widely.
std::vector<std::uint16_t> DefaultPorts();

// "opc.tcp://10.1.2.3:4840", "opc.tcp://[::1]:4840".
std::string OpcTcpUrl(const std::string& address, std::uint16_t port);
