#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cfb {

// An open file descriptor with positional writes; closed when the handle goes.
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens `path` for writing, creating it or emptying an existing file. Fails while another
    // writer holds the file's exclusive lock, and leaves such a file untouched.
    static FileHandle CreateExclusive(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    bool Truncate(std::uint64_t size);

private:
    explicit FileHandle(int fd) : fd_(fd) {}
    void Close();

    int fd_ = -1;
};

}  // namespace cfb
