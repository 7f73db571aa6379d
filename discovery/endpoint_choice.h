#pragma once

#include "discovery/discovered_server.h"
#include "engine/connection_settings.h"

// How to connect to one endpoint of a found server: its URL (at the address the server was
// found at when its own name does not resolve), mode and policy as the options name them, and
// the first sign-in kind it offers of anonymous, user name, certificate.
ConnectionSettings SettingsForEndpoint(const DiscoveredServer& server,
                                       const EndpointOffer& endpoint);

// The endpoint taken when none is picked: the most secure one (mode, then level).
const EndpointOffer* PreferredEndpoint(const DiscoveredServer& server);
