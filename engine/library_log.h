#pragma once

#include "engine/ua_types.h"

// Where the OPC UA library's own log goes. The window leaves it as the library writes it; the
// command line keeps standard error for its own message unless asked for more.
enum class LibraryLog {
    AsLibrary,  // the library's own logger, untouched
    Silent,     // nothing
    Stderr,     // standard error, one plain line per message, no colour codes
};

// Process-wide; set once before the first client exists.
void SetLibraryLog(LibraryLog where);
LibraryLog CurrentLibraryLog();

// A new client whose log follows SetLibraryLog; null when out of memory.
UaClientPtr NewClient();
