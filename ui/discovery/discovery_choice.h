#pragma once

#include <QString>
#include <string>
#include <vector>

#include "discovery/discovered_server.h"
#include "engine/connection_settings.h"

// What "Use" hands the window for one endpoint of a found server: its URL (at the address the
// server was found at when its own name does not resolve), mode and policy as the options
// dialog names them, and the first sign-in kind it offers of anonymous, user name, certificate.
ConnectionSettings SettingsForEndpoint(const DiscoveredServer& server,
                                       const EndpointOffer& endpoint);

// The endpoint "Use" takes when none is picked: the most secure one (mode, then level).
const EndpointOffer* PreferredEndpoint(const DiscoveredServer& server);

// Splits what the user typed into the sources' fields: commas, spaces and line breaks separate.
std::vector<std::string> SplitList(const QString& text);
