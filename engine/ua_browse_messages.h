#pragma once

#include "engine/ua_owned.h"

using UaBrowseNextResponse = UaOwned<UA_BrowseNextResponse, UA_TYPES_BROWSENEXTRESPONSE>;
