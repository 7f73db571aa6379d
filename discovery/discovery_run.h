#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "discovery/discovered_server.h"
#include "discovery/sweep/address_range.h"

// What to look at: each source is optional.
struct DiscoveryRequest {
    std::vector<SweepHost> hosts;  // parsed ranges, swept × ports
    std::vector<std::uint16_t> ports = DefaultPorts();
    std::vector<std::string> ldsUrls;
    bool mdns = false;
    std::vector<std::string> urls;  // given directly
    std::chrono::milliseconds probeTimeout{1000};
    std::size_t maxInFlight = 512;
    std::size_t endpointWorkers = 16;  // GetEndpoints asked at once
    std::chrono::milliseconds mdnsWait{3000};
};

inline constexpr const char* kLocalDiscoveryUrl = "opc.tcp://localhost:4840/UADiscovery";

struct DiscoveryProgress {
    std::size_t probesDone = 0;
    std::size_t probesTotal = 0;
    std::size_t servers = 0;
};

// Calls come from the run's own threads, one at a time.
struct DiscoveryEvents {
    std::function<void(const DiscoveryProgress&)> progress;
    std::function<void(const DiscoveredServer&)> serverFound;  // before the shared check
    std::function<void(const OtherPort&)> otherPort;
};

struct DiscoveryNote {
    TextKey key;
    std::string detail;
};

struct DiscoveryResult {
    std::vector<DiscoveredServer> servers;  // merged, judged, trust looked up
    std::vector<OtherPort> otherPorts;      // answered, but not as OPC UA
    std::vector<DiscoveryNote> notes;       // sources that could not be asked
    std::size_t probes = 0;
    std::size_t peakInFlight = 0;
    bool cancelled = false;
};

// Runs every source, asks every OPC UA port and URL found for its endpoints, merges, judges
// and looks each certificate up in `trusted`. Returns early, with what it has, when `cancel`
// is set. No session is created anywhere.
DiscoveryResult RunDiscovery(const DiscoveryRequest& request,
                             const std::vector<TrustedCertificate>& trusted,
                             const std::atomic<bool>& cancel, const DiscoveryEvents& events = {});
