#pragma once

#include "tools/demo-server/address_space_builder.h"

// Values of the types without a plain number or text form, and a name in two locales.
void BuildRenderingPoints(AddressSpaceBuilder& b, const UA_NodeId& plant, UA_UInt16 ns);
