#pragma once

#include "tools/demo-server/address_space_builder.h"

// Variables at the limits: the largest numeric identifier, DateTime values at both ends of the
// 64-bit range, control characters inside a string identifier.
void BuildEdgePoints(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns);
