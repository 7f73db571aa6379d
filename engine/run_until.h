#pragma once

#include <open62541/client.h>

#include <algorithm>
#include <atomic>
#include <chrono>

// How often a waiting connect looks at its cancel flag.
inline constexpr std::chrono::milliseconds kCancelCheck{20};

// Runs the client until `ready(channel, session)` holds, the connect fails, the configured
// timeout passes or `cancel` is set (then `cancelled` too). The library's own connect waits the
// whole timeout without a way out; this is the same wait in small steps.
template <class Ready>
UA_StatusCode RunUntil(UA_Client* c, const std::atomic<bool>* cancel, bool& cancelled,
                       Ready ready) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(UA_Client_getConfig(c)->timeout);
    for (;;) {
        UA_SecureChannelState channel = UA_SECURECHANNELSTATE_CLOSED;
        UA_SessionState session = UA_SESSIONSTATE_CLOSED;
        UA_StatusCode connectStatus = UA_STATUSCODE_GOOD;
        UA_Client_getState(c, &channel, &session, &connectStatus);
        if (connectStatus != UA_STATUSCODE_GOOD) return connectStatus;
        if (ready(channel, session)) return UA_STATUSCODE_GOOD;
        if (cancel != nullptr && cancel->load()) {
            cancelled = true;
            return UA_STATUSCODE_BADREQUESTCANCELLEDBYCLIENT;
        }
        const auto now = Clock::now();
        if (now >= deadline) return UA_STATUSCODE_BADTIMEOUT;
        const auto wait = std::min<Clock::duration>(kCancelCheck, deadline - now);
        const UA_StatusCode iterated = UA_Client_run_iterate(
            c, static_cast<UA_UInt32>(
                   std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
        if (iterated != UA_STATUSCODE_GOOD) return iterated;
    }
}
