#pragma once

#include <filesystem>
#include <optional>

// Folders and files only their owner may change, as OpenSSH's StrictModes wants of ~/.ssh:
// another local user who can write into them can plant what this program then trusts.

enum class UnsafeReason {
    NotOwned,          // owned by another user
    WritableByOthers,  // group or others may write
    SymbolicLink,      // could point anywhere
    TooBig,            // larger than any file of ours; read as empty it would be lost
    Unreadable,        // there, but it cannot be read
};

struct UnsafePath {
    std::filesystem::path path;
    UnsafeReason reason;
};

// Creates `path` and every missing folder above it, each 0700 whatever the umask. False when
// one could not be made.
bool MakePrivateFolders(const std::filesystem::path& path);

// `path` itself (not followed): none when it is missing or safe.
std::optional<UnsafePath> CheckPrivatePath(const std::filesystem::path& path);
// `top`, then each folder below it down to `path` (inside `top`), then `path`: the first
// unsafe one. `top` itself may also be root's, or writable by others when sticky (/tmp).
std::optional<UnsafePath> CheckPrivateChain(const std::filesystem::path& top,
                                            const std::filesystem::path& path);
