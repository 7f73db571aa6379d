#pragma once

#include <open62541/client.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/live/live_change.h"
#include "engine/live/monitor_book.h"

inline constexpr double kPublishingIntervalMs = 500.0;

// What the server made of a subscription's request.
struct LiveRevised {
    double publishingMs = 0;
    double samplingMs = 0;         // of the last item created; 0 before any
    std::uint32_t maxPerCall = 0;  // MaxMonitoredItemsPerCall, 0: no limit
};

// One subscription of the session `client` holds, and its monitored items. Not thread-safe:
// it belongs to the thread that uses the client, and goes before the client does (the
// session's end takes the server's side with it).
class LiveSubscription {
public:
    // A subscription publishing every kPublishingIntervalMs, its items sampling every
    // `samplingMs`; null with the refusal in `status` (BadServiceUnsupported,
    // BadTooManySubscriptions, a lost session...).
    static std::unique_ptr<LiveSubscription> Create(UA_Client* client, double samplingMs,
                                                    UA_StatusCode& status);
    // Deletes the subscription on the server while the session is there, waiting briefly.
    ~LiveSubscription();
    LiveSubscription(const LiveSubscription&) = delete;
    LiveSubscription& operator=(const LiveSubscription&) = delete;

    // Creates the items in batches within the server's limit; the handles the server refused,
    // with its reason, go to `refused`. The first bad service result ends it and is returned.
    UA_StatusCode Add(std::span<const MonitorRequest> items,
                      std::vector<std::pair<std::uint32_t, UA_StatusCode>>& refused);
    // Deletes the items of `handles` that exist, in batches.
    UA_StatusCode Remove(std::span<const std::uint32_t> handles);
    // Lets the client take what the server published for about `budget`, or until `enough`
    // says so; the changes that came (during Add and Remove too) go to the end of `out`. A bad
    // status when the connection or the subscription is gone.
    template <class Enough>
    UA_StatusCode Collect(std::chrono::milliseconds budget, std::vector<LiveChange>& out,
                          Enough enough);
    UA_StatusCode Collect(std::chrono::milliseconds budget, std::vector<LiveChange>& out) {
        return Collect(budget, out, [] { return false; });
    }

    const LiveRevised& Revised() const { return revised; }
    std::size_t Items() const { return itemIds.size(); }
    // The server ended the subscription, or the session went.
    bool Lost() const { return lost; }

private:
    LiveSubscription(UA_Client* client, double samplingMs);
    UA_StatusCode Iterate(std::uint32_t timeoutMs, std::vector<LiveChange>& out);
    static void OnDataChange(UA_Client* client, UA_UInt32 subId, void* subContext, UA_UInt32 monId,
                             void* monContext, UA_DataValue* value);
    static void OnStatusChange(UA_Client* client, UA_UInt32 subId, void* subContext,
                               UA_StatusChangeNotification* notification);

    UA_Client* client;
    double samplingMs;
    UA_UInt32 subscriptionId = 0;
    LiveRevised revised;
    bool lost = false;
    std::vector<LiveChange> arrived;
    std::unordered_map<std::uint32_t, UA_UInt32> itemIds;  // client handle to the server's id
};

template <class Enough>
UA_StatusCode LiveSubscription::Collect(std::chrono::milliseconds budget,
                                        std::vector<LiveChange>& out, Enough enough) {
    const auto end = std::chrono::steady_clock::now() + budget;
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    do {
        status = Iterate(20, out);
    } while (status == UA_STATUSCODE_GOOD && !lost && !enough() &&
             std::chrono::steady_clock::now() < end);
    if (status == UA_STATUSCODE_GOOD && lost) status = UA_STATUSCODE_BADNOSUBSCRIPTION;
    return status;
}
