#pragma once

#include "engine/ua_owned.h"

using UaNodeId = UaOwned<UA_NodeId, UA_TYPES_NODEID>;
