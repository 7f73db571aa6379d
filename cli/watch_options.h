#pragma once

#include <optional>
#include <string>
#include <vector>

// What `quorvane --watch NODEID... --url URL` asks for.
struct WatchOptions {
    std::vector<std::string> nodeIds;  // as typed: "ns=2;i=5", "ns=1;s=Tank.Level", ...
    std::optional<int> seconds;        // --seconds N: end after N seconds; none: until a signal
    int samplingMs = 1000;             // --sampling MS; --format json or csv says how lines look

    bool Wanted() const { return !nodeIds.empty(); }
};
