#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "engine/opcua_browser.h"

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Directories open fine but report a nonsense length at their "end".
bool IsRegularFile(std::FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

UaByteString OPCUABrowser::LoadFile(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        errno = 0;  // a missing file is an expected outcome here, not an error to keep around
        return {};
    }
    if (!IsRegularFile(file.get()) || std::fseek(file.get(), 0, SEEK_END) != 0) return {};
    const long length = std::ftell(file.get());
    if (length <= 0) return {};
    UaByteString content;
    if (UA_ByteString_allocBuffer(content.get(), static_cast<std::size_t>(length)) !=
        UA_STATUSCODE_GOOD)
        return {};
    std::rewind(file.get());
    if (std::fread(content->data, 1, content->length, file.get()) != content->length) return {};
    return content;
}
