#pragma once

#include <open62541/types.h>

#include <string>

// "点名[ns=2;s=Tank.Level]" / "NodeId[ns=2;s=Tank.Level]" in the current language. The bracketed
// part stays within 511 bytes: a longer identifier is cut on a character boundary and ends "...]".
std::string WriteDialogCaption(const UA_NodeId& nodeId);
