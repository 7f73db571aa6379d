#pragma once

#include <open62541/types.h>

#include <string>

// Text forms of a NodeId, as the list, the copy command, the export and the write dialog show it.
// Pure functions, safe on any thread.

// "ns=2;i=5", "ns=2;s=Name", "ns=2;g=<GuidToText>", "ns=2;b=<Base64>".
std::string NodeIdToText(const UA_NodeId& nodeId);

// The 16 stored bytes in lower-case hexadecimal, grouped 8-4-4-4-12.
std::string GuidToText(const UA_Guid& guid);
