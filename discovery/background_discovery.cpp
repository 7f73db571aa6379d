#include "discovery/background_discovery.h"

#include <utility>

BackgroundDiscovery::BackgroundDiscovery(DiscoveryRequest request,
                                         std::vector<TrustedCertificate> trusted,
                                         DiscoveryEvents events,
                                         std::function<void(DiscoveryResult)> done)
    : thread([this, request = std::move(request), trusted = std::move(trusted),
              events = std::move(events), done = std::move(done)] {
          DiscoveryResult result = RunDiscovery(request, trusted, cancel, events);
          if (done) done(std::move(result));
          finished = true;
      }) {}

BackgroundDiscovery::~BackgroundDiscovery() {
    cancel = true;
    if (thread.joinable()) thread.join();
}
