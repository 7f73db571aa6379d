#pragma once

#include "engine/ua_owned.h"

using UaVariant = UaOwned<UA_Variant, UA_TYPES_VARIANT>;
