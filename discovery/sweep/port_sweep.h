#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "discovery/sweep/address_range.h"
#include "discovery/sweep/hello_exchange.h"

// One address and port to knock at.
struct SweepTarget {
    std::size_t host;  // index into the hosts the sweep was given
    std::uint16_t port;
};

struct SweepOptions {
    std::chrono::milliseconds timeout{1000};  // per probe: connect plus the Hello's answer
    std::size_t maxInFlight = 512;            // open descriptors at most, beside one epoll
};

struct SweepStats {
    std::size_t probes = 0;
    std::size_t peakInFlight = 0;
    bool cancelled = false;
};

// Knocks at every host × port: non-blocking connects, up to `maxInFlight` at once, a Hello on
// every connection that opens, each result handed to `onResult` on this thread as it is known.
// Stops early (no further results) when `cancel` is set.
SweepStats SweepPorts(const std::vector<SweepHost>& hosts, const std::vector<std::uint16_t>& ports,
                      const SweepOptions& options, const std::atomic<bool>& cancel,
                      const std::function<void(const SweepTarget&, PortState)>& onResult);
