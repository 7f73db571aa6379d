#pragma once

#include "engine/ua_owned.h"

// Owned requests and responses of the services the engine calls. A response returned by value
// from UA_Client_Service_* is taken over with Adopt right away, so every path frees it.
using UaReadRequest = UaOwned<UA_ReadRequest, UA_TYPES_READREQUEST>;
using UaReadResponse = UaOwned<UA_ReadResponse, UA_TYPES_READRESPONSE>;
using UaBrowseRequest = UaOwned<UA_BrowseRequest, UA_TYPES_BROWSEREQUEST>;
using UaBrowseResponse = UaOwned<UA_BrowseResponse, UA_TYPES_BROWSERESPONSE>;
using UaWriteRequest = UaOwned<UA_WriteRequest, UA_TYPES_WRITEREQUEST>;
using UaWriteResponse = UaOwned<UA_WriteResponse, UA_TYPES_WRITERESPONSE>;
