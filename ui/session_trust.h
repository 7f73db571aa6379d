#pragma once

#include <string>
#include <vector>

#include "engine/connection_settings.h"

// Server certificates the user accepted "this time": they hold until the program ends, for the
// window's connects, the refresh's reconnects and the write dialog's sessions alike, and only
// for the very certificate accepted (by its SHA-256 fingerprint).
void AcceptServerThisRun(const std::string& fingerprint);
const std::vector<std::string>& ServersAcceptedThisRun();
void ForgetServersAcceptedThisRun();  // for tests

// `settings` with every certificate accepted this run added.
ConnectionSettings WithServersAcceptedThisRun(ConnectionSettings settings);
