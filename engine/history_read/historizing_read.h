#pragma once

#include <open62541/client.h>

#include <vector>

// The Historizing attribute of each of `nodeIds`, false where the read of it failed. Runs on the
// thread that owns `client`.
std::vector<bool> ReadHistorizing(UA_Client* client, const std::vector<const UA_NodeId*>& nodeIds);
