#pragma once

#include <string>
#include <string_view>

// `text` as a quoted string that JSON and TOML both read the same way: quote, backslash and
// every control character escaped (newlines too, so a name never breaks its line), other
// characters as UTF-8 (ill-formed bytes as U+FFFD).
std::string QuotedText(std::string_view text);
