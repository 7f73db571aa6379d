#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Where an export's bytes go. A regular file (or a name not yet taken) is written beside its
// target under a temporary name and renamed over it only when everything reached the disk: a
// failed or cancelled export never destroys the file that was there before. A symbolic link is
// followed to the file it finally names, which is replaced that way; the link stays. A
// character device or a FIFO is never replaced: the content is made in a temporary file and
// then written into it from start to end, and a write it refuses is a failure. A FIFO is opened
// without waiting, so one without a reader fails at once. Directories, sockets and block
// devices are refused. Letting an uncommitted one go removes the temporary.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // For `target` (UTF-8 path), as above. Not open on failure, with the reason in Error().
    static ReplacingFile Begin(const std::string& target);
    // For a descriptor already open for writing (standard output, say): written into on
    // Commit, never closed here.
    static ReplacingFile Into(int fd);
    // For a descriptor written in order as the content is made, with no temporary: for text
    // that is only ever appended. WriteAt and Truncate fail; a failed or cancelled export
    // leaves what was written so far. Never closed here.
    static ReplacingFile Stream(int fd);

    bool IsOpen() const { return fd_ >= 0 || (streaming_ && sink_ >= 0); }
    // The errno of the first failure, 0 when there was none.
    int Error() const { return error_; }
    // Where the content goes until Commit; writers that open files themselves write here.
    const std::string& TemporaryPath() const { return temporary_; }
    // The file that is replaced or written into.
    const std::string& Target() const { return target_; }
    // Spreadsheet programs recognise UTF-8 text files by a byte-order mark; a reader at the
    // other end of a descriptor (a pipe into cut, awk or a csv module) takes it for data.
    bool WantsByteOrderMark() const { return !intoDescriptor_; }

    // Whole writes or failure; a short write is retried, a failing one sticks.
    bool Append(const void* data, std::size_t size);
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    bool Truncate(std::uint64_t size);

    // Finishes: a replaced file is flushed, closed and renamed over the target; a device, FIFO
    // or descriptor gets the content. False, with the target untouched (a device or FIFO may
    // have taken part of it) and the temporary removed, when any step or an earlier write
    // failed.
    bool Commit();

private:
    void Abandon();
    bool Fail(int error);
    bool CopyIntoSink();

    int fd_ = -1;
    int sink_ = -1;          // the device, FIFO or descriptor written into on Commit
    bool ownsSink_ = false;  // opened here, so closed here
    bool intoDescriptor_ = false;
    bool streaming_ = false;  // appends go straight into the sink
    bool failed_ = false;
    int error_ = 0;
    std::uint64_t appendOffset_ = 0;
    std::string target_;
    std::string temporary_;
};
