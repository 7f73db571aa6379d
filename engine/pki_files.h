#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/private_folder.h"

// Where this installation keeps its own certificate and the server certificates it trusts:
// $XDG_DATA_HOME/quorvane/pki, or ~/.local/share/quorvane/pki. Read from the environment on
// every call, so tests can point it elsewhere; the front doors ask it and hand it on.
std::filesystem::path PkiRoot();
// The location a caller gave (ConnectionSettings::pkiRoot), the user's when it gave none.
std::filesystem::path PkiRootOr(const std::filesystem::path& given);

// Writes `bytes` to `path` so that a reader sees the old file or the whole new one, never a
// part. Creates the missing folders 0700 whatever the umask. False with nothing changed when
// any step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         unsigned mode);

// The whole content of a regular file of at most 1 MiB, never through a symbolic link; none
// otherwise.
std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::filesystem::path& path);

// The first place in `folder` (under `pkiRoot`) another local user could have changed: the
// program's folder above `pkiRoot`, each folder down to `folder`, and every file in it.
std::optional<UnsafePath> CheckPkiFolder(const std::filesystem::path& pkiRoot,
                                         const std::filesystem::path& folder);
