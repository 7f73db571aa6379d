#pragma once

#include <string>
#include <string_view>

// `text` when it is well-formed UTF-8; otherwise with every ill-formed sequence replaced by
// U+FFFD, so that formats which must be UTF-8 (JSON, TOML) stay readable.
std::string ValidUtf8(std::string_view text);
