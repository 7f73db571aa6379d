#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

// The operating system's files at the bottom: one owner per descriptor, writes that finish,
// reads that stop at a size, replacements a reader never sees half done.

// Closes its descriptor when it goes; moves, never copies.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// ::write, or a stand-in that tests use to interrupt and shorten writes.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);

// Writes all of `bytes`: a write interrupted by a signal is repeated, a short one continued.
// False with errno set when the descriptor refuses (a write of 0 bytes counts as ENOSPC).
bool WriteAll(int fd, std::span<const std::uint8_t> bytes, WriteCall write = nullptr);
bool WriteAll(int fd, std::string_view text, WriteCall write = nullptr);

enum class ReadFailure {
    None,
    Missing,     // no such file
    NotAFile,    // a folder, a device, a FIFO, a socket
    Link,        // a symbolic link, refused when links are not followed
    TooBig,      // larger than the limit: an error, never taken as empty
    Unreadable,  // any other error, or it shrank while being read
};

struct SmallFile {
    std::vector<std::uint8_t> bytes;
    ReadFailure failure = ReadFailure::None;
    bool Ok() const { return failure == ReadFailure::None; }
};

inline constexpr std::size_t kSmallFileLimit = std::size_t{1} << 20;

// The whole content of a regular file of at most `limit` bytes. Never waits on a FIFO; with
// `followLinks` false a symbolic link at `path` itself is refused.
SmallFile ReadFileUpTo(const std::filesystem::path& path, std::size_t limit = kSmallFileLimit,
                       bool followLinks = true);

// Writes `bytes` to `path` so that a reader sees the old file or the whole new one, never a
// part: a new file with `mode` (whatever the umask) beside it, flushed, then renamed over, and
// the folder flushed. The folder must exist. False, with errno set and nothing changed, when a
// step fails.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                           mode_t mode);
