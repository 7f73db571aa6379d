#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Where this installation keeps its own certificate and the server certificates it trusts:
// $XDG_DATA_HOME/quorvane/pki, or ~/.local/share/quorvane/pki. Read from the environment on
// every call, so tests can point it elsewhere.
std::filesystem::path PkiRoot();

// Writes `bytes` to `path` so that a reader sees the old file or the whole new one, never a
// part: a new file with `mode` beside it, flushed, then renamed over. Creates the directory
// (0700) when missing. False with nothing changed when any step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         unsigned mode);

// The whole content of a regular file of at most 1 MiB; none otherwise.
std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::filesystem::path& path);
