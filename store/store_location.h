#pragma once

#include <filesystem>

// Where the scan history lives: $XDG_DATA_HOME/quorvane/inventory.sqlite, or below
// ~/.local/share when that is unset or not absolute.
std::filesystem::path DefaultInventoryPath();

// Makes the folder holding `database` (only its owner may enter the one of ours); false when it
// cannot be made.
bool PrepareInventoryFolder(const std::filesystem::path& database);
