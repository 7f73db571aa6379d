#include "engine/pki_files.h"

#include "os/data_home.h"
#include "os/file_io.h"

std::filesystem::path PkiRoot() { return QuorvaneDataHome() / "pki"; }

std::filesystem::path PkiRootOr(const std::filesystem::path& given) {
    return given.empty() ? PkiRoot() : given;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         unsigned mode) {
    return MakePrivateFolders(path.parent_path()) &&
           ReplaceFileAtomically(path, bytes, static_cast<mode_t>(mode));
}

std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::filesystem::path& path) {
    SmallFile file = ReadFileUpTo(path, kSmallFileLimit, false);
    if (!file.Ok()) return std::nullopt;
    return std::move(file.bytes);
}

std::optional<UnsafePath> CheckPkiFolder(const std::filesystem::path& pkiRoot,
                                         const std::filesystem::path& folder) {
    if (auto unsafe = CheckPrivateChain(pkiRoot.parent_path(), folder)) return unsafe;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (auto unsafe = CheckPrivatePath(entry.path())) return unsafe;
    }
    return std::nullopt;
}
