#include "os/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, WriteCall write) {
    if (write == nullptr) write = ::write;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, std::string_view text, WriteCall write) {
    return WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, write);
}

SmallFile ReadFileUpTo(const std::filesystem::path& path, std::size_t limit, bool followLinks) {
    SmallFile file;
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const UniqueFd fd{::open(path.c_str(), flags)};
    struct stat info {};
    if (!fd.IsOpen()) {
        file.failure = errno == ENOENT  ? ReadFailure::Missing
                       : errno == ELOOP ? ReadFailure::Link
                                        : ReadFailure::Unreadable;
        return file;
    }
    if (::fstat(fd.Get(), &info) != 0) {
        file.failure = ReadFailure::Unreadable;
        return file;
    }
    if (!S_ISREG(info.st_mode)) {
        file.failure = ReadFailure::NotAFile;
        return file;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        file.failure = ReadFailure::TooBig;
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < file.bytes.size()) {
        const ssize_t n = ::read(fd.Get(), file.bytes.data() + done, file.bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            file.bytes.clear();
            file.failure = ReadFailure::Unreadable;
            return file;
        }
        done += static_cast<std::size_t>(n);
    }
    return file;
}

namespace {

std::string RandomSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return std::to_string(random());
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                           mode_t mode) {
    const std::filesystem::path dir = path.parent_path();
    const std::filesystem::path temporary =
        dir / ("." + path.filename().string() + "." + RandomSuffix() + ".tmp");
    {
        // O_EXCL: never write through a name someone else placed there.
        const UniqueFd file{
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode)};
        if (!file.IsOpen()) return false;
        // The umask may have taken bits away; a wider mode than asked is never wanted either.
        const bool written = ::fchmod(file.Get(), mode) == 0 && WriteAll(file.Get(), bytes) &&
                             ::fsync(file.Get()) == 0;
        if (!written) {
            const int error = errno;
            ::unlink(temporary.c_str());
            errno = error;
            return false;
        }
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    const UniqueFd folder{::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.IsOpen()) ::fsync(folder.Get());  // the rename itself survives a power cut
    return true;
}
