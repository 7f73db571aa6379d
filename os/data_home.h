#pragma once

#include <filesystem>

// Where this installation keeps its data: $XDG_DATA_HOME/quorvane, or ~/.local/share/quorvane.
// Read from the environment on every call, so tests can point it elsewhere.
std::filesystem::path QuorvaneDataHome();
