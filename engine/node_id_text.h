#pragma once

#include <open62541/types.h>

#include <string>

// Text forms of a NodeId, as the list, the copy command, the export and the write dialog show it.
// Pure functions, safe on any thread.

// "ns=2;i=5", "ns=2;s=<IdentifierText>", "ns=2;g=<GuidToText>", "ns=2;b=<Base64>".
std::string NodeIdToText(const UA_NodeId& nodeId);

// A string identifier whole, its control characters (0x00 to 0x1F, 0x7F) as \x00 with two
// lower-case hexadecimal digits: a NUL inside no longer ends the text, and nothing invisible
// makes two nodes look alike.
std::string IdentifierText(const UA_String& identifier);

// The 16 stored bytes in lower-case hexadecimal, grouped 8-4-4-4-12.
std::string GuidToText(const UA_Guid& guid);
