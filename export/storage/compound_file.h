#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/storage/allocation_tables.h"
#include "export/storage/file_handle.h"

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

// A compound file (MS-CFB version 3, 512-byte sectors) whose root storage holds streams. Like a
// storage opened in direct mode, every change is in the file when the call returns, so the file
// is always valid; destroying the object releases the root storage and closes the file.
class CompoundFile {
public:
    // Creates the file, replacing an existing one. Null when it cannot be created.
    static std::unique_ptr<CompoundFile> Create(const std::u16string& path);

    ~CompoundFile() = default;
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    // Creates an empty stream under the root, emptying an existing stream of that name.
    bool CreateStream(std::u16string_view name);
    // Empty when the root holds no stream of that name.
    std::optional<Stream> OpenStream(std::u16string_view name);

private:
    friend class Stream;

    struct StreamState {
        std::u16string name;
        std::uint64_t size = 0;
        std::vector<std::uint8_t> smallData;  // below the cutoff: it lives in the mini stream,
                                              // which is rewritten at every commit
        SectorRun run;                        // from the cutoff on: its sectors in the file
    };

    explicit CompoundFile(FileHandle file) : file_(std::move(file)) {}

    bool WriteStream(std::size_t index, std::span<const std::uint8_t> bytes);
    void ReleaseSectors(StreamState& stream);
    bool Commit();

    FileHandle file_;
    std::vector<StreamState> streams_;
    std::uint32_t dataSectors_ = 0;  // sectors [0, dataSectors_) hold the large streams
};

}  // namespace cfb
