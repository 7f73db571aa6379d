#pragma once

#include <open62541/types.h>

#include <string>
#include <vector>

#include "export/export_context.h"
#include "export/point_export.h"

struct OPCUAItemData;
class ReplacingFile;

// A complete input section for the Telegraf data collector's OPC UA plugin: the endpoint,
// security policy and mode and sign-in method the scan used, this client's certificate when one
// was shown, and one node entry per point (a unique name, namespace, identifier type and
// identifier, the path as a tag). A password is never written: the collector takes it from the
// environment variable kTelegrafPasswordVariable. Committed only once complete; false with
// nothing replaced on any failure or when `progress` says stop.
bool WriteTelegrafConfig(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                         const ExportContext& context, const ExportProgress* progress = nullptr);

inline constexpr char kTelegrafPasswordVariable[] = "QUORVANE_OPCUA_PASSWORD";

// The plugin's identifier of a node: its type letter ("i", "s", "g", "b") and the identifier
// as the plugin parses it: the number, the string itself, the GUID in its usual
// field-by-field form, the bytes in Base64.
struct TelegrafIdentifier {
    std::string type;
    std::string identifier;
};
TelegrafIdentifier TelegrafIdentifierOf(const UA_NodeId& nodeId);

// The plugin's names for the scan's security choices: "SignAndEncrypt" for "Sign & Encrypt",
// "auto" where the options chose nothing.
std::string TelegrafSecurityMode(const std::string& mode);
std::string TelegrafSecurityPolicy(const std::string& policy);
