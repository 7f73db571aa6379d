#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct MdnsAnswer {
    std::vector<std::string> urls;  // opc.tcp URLs of the services announced
    bool unavailable = false;       // no avahi-daemon to ask: a note, not an error
    std::optional<std::string> failure;
};

// Browses `_opcua-tcp._tcp` through the avahi daemon and resolves every service found, for at
// most `wait` or until the daemon says it has told all it knows.
MdnsAnswer BrowseMdns(std::chrono::milliseconds wait, const std::atomic<bool>& cancel);
