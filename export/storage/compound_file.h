#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/replacing_file.h"
#include "export/storage/allocation_tables.h"

namespace cfb {

class CompoundFile;

// A stream reopened for writing. Letting the handle go releases the stream.
class Stream {
public:
    // Replaces the stream's contents with `bytes` and brings the file up to date. Large streams
    // go from `bytes` straight to the file; nothing keeps a copy of them.
    bool Write(std::span<const std::uint8_t> bytes);

private:
    friend class CompoundFile;
    Stream(CompoundFile& file, std::size_t index) : file_(&file), index_(index) {}

    CompoundFile* file_;
    std::size_t index_;
};

// A compound file (MS-CFB version 3, 512-byte sectors) whose root storage holds streams. It is
// built in a temporary file beside its path, where every change is complete when the call
// returns, and replaces the file at its path only when finished: a failure on the way leaves
// whatever was there before. Destroying an unfinished object finishes it.
class CompoundFile {
public:
    // Starts the file that will replace `path`. Null when it cannot be created there.
    static std::unique_ptr<CompoundFile> Create(const std::u16string& path);
    // The same into an open ReplacingFile (a descriptor, say). Null when `file` is not open.
    static std::unique_ptr<CompoundFile> CreateIn(ReplacingFile file);

    ~CompoundFile();
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    // Creates an empty stream under the root, emptying an existing stream of that name.
    bool CreateStream(std::u16string_view name);
    // Empty when the root holds no stream of that name.
    std::optional<Stream> OpenStream(std::u16string_view name);

    // Puts the file at its path once all of it is on the disk; false, with the old file kept,
    // when that or any earlier write failed. Nothing can be changed afterwards.
    bool Finish();
    // Drops the file, leaving the path as it was.
    void Discard();

private:
    friend class Stream;

    struct StreamState {
        std::u16string name;
        std::uint64_t size = 0;
        std::vector<std::uint8_t> smallData;  // below the cutoff: it lives in the mini stream,
                                              // which is rewritten at every commit
        SectorRun run;                        // from the cutoff on: its sectors in the file
    };

    explicit CompoundFile(ReplacingFile file) : file_(std::move(file)) {}

    bool WriteStream(std::size_t index, std::span<const std::uint8_t> bytes);
    void ReleaseSectors(StreamState& stream);
    bool Commit();

    ReplacingFile file_;
    std::vector<StreamState> streams_;
    std::uint32_t dataSectors_ = 0;  // sectors [0, dataSectors_) hold the large streams
};

}  // namespace cfb
