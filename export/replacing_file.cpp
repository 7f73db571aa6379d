#include "export/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "os/file_io.h"

namespace {

// As the kernel: a longer chain of links is a loop.
constexpr int kMaxLinks = 40;

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

// The name a chain of symbolic links finally leads to (which need not exist yet); empty with
// `error` set when the chain loops or a link cannot be read.
std::string FollowLinks(std::string path, int& error) {
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        if (links == kMaxLinks) {
            error = ELOOP;
            return {};
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : DirectoryOf(path) + "/" + next;
    }
}

// A private temporary for content made before it goes into a device, FIFO or descriptor.
int MakeScratch(std::string& path) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/.quorvane-export-XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) path = pattern.data();
    return fd;
}

}  // namespace

ReplacingFile::~ReplacingFile() { Abandon(); }

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      sink_(std::exchange(other.sink_, -1)),
      ownsSink_(other.ownsSink_),
      intoDescriptor_(other.intoDescriptor_),
      streaming_(other.streaming_),
      failed_(other.failed_),
      error_(other.error_),
      appendOffset_(other.appendOffset_),
      target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
    if (this != &other) {
        Abandon();
        fd_ = std::exchange(other.fd_, -1);
        sink_ = std::exchange(other.sink_, -1);
        ownsSink_ = other.ownsSink_;
        intoDescriptor_ = other.intoDescriptor_;
        streaming_ = other.streaming_;
        failed_ = other.failed_;
        error_ = other.error_;
        appendOffset_ = other.appendOffset_;
        target_ = std::move(other.target_);
        temporary_ = std::exchange(other.temporary_, {});
    }
    return *this;
}

ReplacingFile ReplacingFile::Begin(const std::string& given) {
    ReplacingFile file;
    if (given.empty() || given.back() == '/') {
        file.error_ = EISDIR;
        return file;
    }
    const std::string target = FollowLinks(given, file.error_);
    if (target.empty()) return file;
    file.target_ = target;

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))) {
        // Without O_NONBLOCK a FIFO nobody reads would hold the export for ever.
        const int flags =
            O_WRONLY | O_NOCTTY | O_CLOEXEC | (S_ISFIFO(existing.st_mode) ? O_NONBLOCK : 0);
        const int sink = ::open(target.c_str(), flags);
        if (sink < 0) {
            file.error_ = errno;
            return file;
        }
        // Once a reader is there, writes wait for room as in any pipe.
        if (S_ISFIFO(existing.st_mode))
            ::fcntl(sink, F_SETFL, ::fcntl(sink, F_GETFL) & ~O_NONBLOCK);
        file.sink_ = sink;
        file.ownsSink_ = true;
        file.fd_ = MakeScratch(file.temporary_);
        if (file.fd_ < 0) file.error_ = errno;
        return file;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        file.error_ = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return file;
    }

    // Hidden, and short whatever the target's name: a name near the length limit still works.
    const std::string name = DirectoryOf(target) + "/.quorvane-export-XXXXXX";
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        file.error_ = errno;
        return file;
    }
    file.fd_ = fd;
    file.temporary_ = pattern.data();
    // mkostemp makes the file private (0600); keep the replaced file's mode, or give what a
    // plain create would give.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return file;
}

ReplacingFile ReplacingFile::Into(int fd) {
    // Whole first, then copied out: the workbooks are written by offset.
    ReplacingFile file = Stream(fd);
    if (file.error_ != 0) return file;
    file.streaming_ = false;
    file.fd_ = MakeScratch(file.temporary_);
    if (file.fd_ < 0) file.error_ = errno;
    return file;
}

ReplacingFile ReplacingFile::Stream(int fd) {
    ReplacingFile file;
    if (fd < 0) {
        file.error_ = EBADF;
        return file;
    }
    file.sink_ = fd;
    file.intoDescriptor_ = true;
    file.streaming_ = true;
    return file;
}

bool ReplacingFile::Fail(int error) {
    if (!failed_) error_ = error;
    failed_ = true;
    return false;
}

bool ReplacingFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (streaming_) return Fail(ESPIPE);
    if (failed_ || fd_ < 0) return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return Fail(written < 0 ? errno : ENOSPC);
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool ReplacingFile::Append(const void* data, std::size_t size) {
    if (streaming_) {
        if (failed_ || sink_ < 0) return false;
        if (!WriteAll(sink_, std::string_view(static_cast<const char*>(data), size)))
            return Fail(errno);
        appendOffset_ += size;
        return true;
    }
    if (!WriteAt(appendOffset_, data, size)) return false;
    appendOffset_ += size;
    return true;
}

bool ReplacingFile::Truncate(std::uint64_t size) {
    if (streaming_) return Fail(ESPIPE);
    if (failed_ || fd_ < 0) return false;
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) Fail(errno);
    return !failed_;
}

// The whole temporary, from its start, into the sink.
bool ReplacingFile::CopyIntoSink() {
    std::vector<char> buffer(1 << 16);
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd_, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Fail(errno);
        if (got == 0) return true;
        offset += got;
        // A device that takes nothing (a full disk's stand-in says ENOSPC) fails the export.
        if (!WriteAll(sink_, std::string_view(buffer.data(), static_cast<std::size_t>(got))))
            return Fail(errno);
    }
}

bool ReplacingFile::Commit() {
    if (streaming_) {
        sink_ = -1;
        return !failed_;
    }
    if (fd_ < 0) return false;
    if (sink_ >= 0) {
        const bool ok = !failed_ && CopyIntoSink();
        const bool closed = !ownsSink_ || ::close(std::exchange(sink_, -1)) == 0;
        if (ownsSink_ && !closed && ok) Fail(errno);
        sink_ = -1;
        Abandon();  // the temporary is done with either way
        return ok && closed;
    }
    bool ok = !failed_;
    if (ok && ::fsync(fd_) != 0) ok = Fail(errno);
    // A close can report a write the disk refused late; it counts as a failed write.
    if (::close(std::exchange(fd_, -1)) != 0 && ok) ok = Fail(errno);
    if (ok && ::rename(temporary_.c_str(), target_.c_str()) != 0) ok = Fail(errno);
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
    if (sink_ >= 0 && ownsSink_) ::close(sink_);
    sink_ = -1;
    if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
}
