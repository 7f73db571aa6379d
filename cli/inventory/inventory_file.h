#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "engine/connection_settings.h"

// One server of an inventory file.
struct InventoryEntry {
    std::size_t line = 0;  // from 1
    ConnectionSettings settings;
    std::string passwordEnv;  // the variable holding the password, for user sign-in
};

struct InventoryFile {
    std::vector<InventoryEntry> servers;
    // The first bad line: its number and what is wrong with it; 0 when every line was good.
    std::size_t badLine = 0;
    CliError error{TextKey::CliBadValue, {}};
};

// Reads an inventory: one server per line, "URL [--user NAME --password-env VAR]
// [--policy P --mode M] [--cert F --key F] [--timeout S] [--allow-plain-password]
// [--trust-server FP]", '#' starting a comment, blank lines ignored. A line of comma-separated
// fields (a discovery's table) stands for the first opc.tcp URL among them; a line without one
// is its header. A server listed twice is scanned once.
InventoryFile ParseInventory(const std::string& text);
