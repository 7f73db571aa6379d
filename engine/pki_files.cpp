#include "engine/pki_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>

namespace {

constexpr off_t kMaxFileBytes = 1 << 20;

struct Descriptor {
    int fd;
    explicit Descriptor(int value) : fd(value) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string RandomSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return std::to_string(random());
}

}  // namespace

std::filesystem::path PkiRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    // An empty or relative value is to be ignored, as the base directory rules say.
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
    }
    return base / "quorvane" / "pki";
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         unsigned mode) {
    std::error_code error;
    const std::filesystem::path dir = path.parent_path();
    if (!std::filesystem::exists(dir, error)) {
        std::filesystem::create_directories(dir, error);
        if (error) return false;
        ::chmod(dir.c_str(), 0700);
    }
    const std::filesystem::path temporary =
        dir / ("." + path.filename().string() + "." + RandomSuffix() + ".tmp");
    {
        // O_EXCL: never write through a name someone else placed there.
        const Descriptor file{::open(temporary.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                     static_cast<mode_t>(mode))};
        if (file.fd < 0) return false;
        // The umask may have taken bits away; a wider mode than asked is never wanted either.
        const bool written = ::fchmod(file.fd, static_cast<mode_t>(mode)) == 0 &&
                             WriteAll(file.fd, bytes) && ::fsync(file.fd) == 0;
        if (!written) {
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    const Descriptor directory{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.fd >= 0) ::fsync(directory.fd);  // the rename itself survives a power cut
    return true;
}

std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::filesystem::path& path) {
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxFileBytes)
        return std::nullopt;
    std::vector<std::uint8_t> content(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::read(file.fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        done += static_cast<std::size_t>(n);
    }
    return content;
}
