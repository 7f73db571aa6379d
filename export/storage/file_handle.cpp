#include "export/storage/file_handle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace cfb {

FileHandle::~FileHandle() { Close(); }

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileHandle FileHandle::CreateExclusive(const std::string& path) {
    // Not O_TRUNC: the file is emptied only once we hold its lock.
    FileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!file.IsOpen()) return {};
    if (::flock(file.fd_, LOCK_EX | LOCK_NB) != 0) return {};
    if (!file.Truncate(0)) return {};
    return file;
}

bool FileHandle::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool FileHandle::Truncate(std::uint64_t size) {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

void FileHandle::Close() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

}  // namespace cfb
