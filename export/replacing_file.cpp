#include "export/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The rename itself is in the directory; without this a crash could bring back the old name.
void SyncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      failed_(other.failed_),
      appendOffset_(other.appendOffset_),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
    if (this != &other) {
        Abandon();
        fd_ = std::exchange(other.fd_, -1);
        failed_ = other.failed_;
        appendOffset_ = other.appendOffset_;
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
    }
    return *this;
}

ReplacingFile ReplacingFile::Begin(const std::string& target) {
    ReplacingFile file;
    if (target.empty() || target.back() == '/') return file;
    // Hidden, and short whatever the target's name: a name near the length limit still works.
    const std::string name = DirectoryOf(target) + "/.quorvane-export-XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return file;
    file.fd_ = fd;
    file.target_ = target;
    file.temporary_ = pattern.data();
    // mkostemp makes the file private (0600); keep the replaced file's mode, or give what a
    // plain create would give.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return file;
}

bool ReplacingFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (failed_ || fd_ < 0) return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool ReplacingFile::Append(const void* data, std::size_t size) {
    if (!WriteAt(appendOffset_, data, size)) return false;
    appendOffset_ += size;
    return true;
}

bool ReplacingFile::Truncate(std::uint64_t size) {
    if (failed_ || fd_ < 0) return false;
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) failed_ = true;
    return !failed_;
}

bool ReplacingFile::Commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && ::fsync(fd_) == 0;
    // A close can report a write the disk refused late; it counts as a failed write.
    ok = (::close(std::exchange(fd_, -1)) == 0) && ok;
    ok = ok && ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        Abandon();
        return false;
    }
    temporary_.clear();
    SyncDirectory(DirectoryOf(target_));
    return true;
}

void ReplacingFile::Abandon() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
}
