#pragma once

#include <open62541/plugin/log.h>

// The stack's log on standard error, so that standard output carries only the READY line that
// scripts wait for. Messages below `minLevel` are dropped.
UA_Logger StandardErrorLog(UA_LogLevel minLevel);

// Points an installed logger at standard error in place: plugins made before keep the pointer.
void RedirectToStandardError(UA_Logger& logger, UA_LogLevel minLevel);
