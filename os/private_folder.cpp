#include "os/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool MakePrivateFolders(const std::filesystem::path& path) {
    std::filesystem::path prefix;
    for (const auto& part : path) {
        prefix /= part;
        if (::mkdir(prefix.c_str(), 0700) == 0) {
            // The umask only takes bits away; one that took the owner's would lock us out.
            if (::chmod(prefix.c_str(), 0700) != 0) return false;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<UnsafePath> CheckPrivatePath(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    if (S_ISLNK(info.st_mode)) return UnsafePath{path, UnsafeReason::SymbolicLink};
    if (info.st_uid != ::geteuid()) return UnsafePath{path, UnsafeReason::NotOwned};
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return UnsafePath{path, UnsafeReason::WritableByOthers};
    return std::nullopt;
}

namespace {

// A folder above ours may be the administrator's, or shared if sticky as /tmp is: nobody else
// can rename or remove what we keep in it then.
std::optional<UnsafePath> CheckParentFolder(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    if (info.st_uid != ::geteuid() && info.st_uid != 0)
        return UnsafePath{path, UnsafeReason::NotOwned};
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0)
        return UnsafePath{path, UnsafeReason::WritableByOthers};
    return std::nullopt;
}

}  // namespace

std::optional<UnsafePath> CheckPrivateChain(const std::filesystem::path& top,
                                            const std::filesystem::path& path) {
    if (auto unsafe = CheckParentFolder(top)) return unsafe;
    std::filesystem::path at = top;
    for (const auto& part : path.lexically_relative(top)) {
        if (part == ".") continue;
        at /= part;
        if (auto unsafe = CheckPrivatePath(at)) return unsafe;
    }
    return std::nullopt;
}
