#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file written beside its target under a temporary name and renamed over the target only when
// everything reached the disk: a failed export never destroys the file that was there before.
// Letting an uncommitted one go removes the temporary.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates an empty temporary in the directory of `target` (UTF-8 path). Not open on failure.
    static ReplacingFile Begin(const std::string& target);

    bool IsOpen() const { return fd_ >= 0; }
    // Where the content goes until Commit; writers that open files themselves write here.
    const std::string& TemporaryPath() const { return temporary_; }
    const std::string& Target() const { return target_; }

    // Whole writes or failure; a short write is retried, a failing one sticks.
    bool Append(const void* data, std::size_t size);
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    bool Truncate(std::uint64_t size);

    // Flushes the temporary to the disk, closes it and renames it over the target. False, with
    // the target untouched and the temporary removed, when any step or an earlier write failed.
    bool Commit();

private:
    void Abandon();

    int fd_ = -1;
    bool failed_ = false;
    std::uint64_t appendOffset_ = 0;
    std::string target_;
    std::string temporary_;
};
