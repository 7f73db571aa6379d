#pragma once

#include <open62541/client.h>

#include <cstdint>
#include <functional>

// What the server says it takes in one request, from its ServerCapabilities; 0 where it names
// no limit or the answer is not a number.
struct ServerLimits {
    std::uint32_t maxNodesPerRead = 0;
    std::uint32_t maxNodesPerBrowse = 0;            // also continuation points per BrowseNext
    std::uint16_t maxBrowseContinuationPoints = 0;  // held at once by one session
};

// One Read of the three values. Returns the Read's service result; `limits` is set only when
// it is good. `timestamp` gets the response's time either way (0 without a response). `stop`,
// when given, is asked while the answer is awaited and abandons it.
UA_StatusCode ReadServerLimits(UA_Client* client, ServerLimits& limits, UA_DateTime& timestamp,
                               const std::function<bool()>& stop = {});

// The limit from one read result; 0 when the server names none or the value is not an
// unsigned number.
std::uint32_t LimitFromDataValue(const UA_DataValue& value);
