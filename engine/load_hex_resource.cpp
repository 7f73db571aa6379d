#include "engine/opcua_browser.h"
#include "resources/hex_resources.h"

UaByteString OPCUABrowser::LoadHexResource(int id) { return ByteStringOf(FindHexResource(id)); }
