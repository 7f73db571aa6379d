#pragma once

#include <string>
#include <string_view>

// `text` as a JSON string, quotes included: quote, backslash and control characters escaped,
// other characters as UTF-8 (ill-formed bytes as U+FFFD).
std::string JsonString(std::string_view text);

// `text` unchanged when it is a JSON number (as the value texts of integer and floating-point
// points are); empty otherwise, "nan" and "inf" included.
std::string_view JsonNumber(std::string_view text);
