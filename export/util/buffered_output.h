#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class ReplacingFile;

// Text collected in a buffer and written to a file in large pieces; after a failed write
// everything reports failure.
class BufferedOutput {
public:
    explicit BufferedOutput(ReplacingFile& file) : file_(file) {}

    BufferedOutput& operator<<(std::string_view text);
    // Writes when the buffer is large; false once a write has failed.
    bool Ok();
    // Writes what is buffered; false once a write has failed.
    bool Flush();

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    ReplacingFile& file_;
    std::string buffer_;
    bool ok_ = true;
};
