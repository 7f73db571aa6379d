#include "export/util/buffered_output.h"

#include "export/replacing_file.h"

BufferedOutput& BufferedOutput::operator<<(std::string_view text) {
    buffer_.append(text);
    return *this;
}

bool BufferedOutput::Ok() {
    if (buffer_.size() >= kFlushAt) return Flush();
    return ok_;
}

bool BufferedOutput::Flush() {
    if (ok_ && !buffer_.empty()) ok_ = file_.Append(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
}
