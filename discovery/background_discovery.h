#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "discovery/discovery_run.h"

// One discovery on a thread of its own, so that a window or a tool goes on while it sweeps.
// `events` and `finished` are called on that thread (`finished` once, last, with what was
// found, also after a cancel). Going away cancels the run and waits for it.
class BackgroundDiscovery {
public:
    BackgroundDiscovery(DiscoveryRequest request, std::vector<TrustedCertificate> trusted,
                        DiscoveryEvents events, std::function<void(DiscoveryResult)> finished);
    ~BackgroundDiscovery();

    BackgroundDiscovery(const BackgroundDiscovery&) = delete;
    BackgroundDiscovery& operator=(const BackgroundDiscovery&) = delete;

    // The run returns early, with what it has.
    void Cancel() { cancel = true; }
    // `finished` has been called.
    bool Finished() const { return finished; }

private:
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::thread thread;  // last: starts once everything it uses exists
};
