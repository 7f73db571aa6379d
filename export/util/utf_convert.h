#pragma once

#include <string>
#include <string_view>

// Conversions between the engine's UTF-8 texts and the UTF-16 texts of the workbook and of the
// file paths. Neither fails: whatever cannot be converted becomes U+FFFD, one per maximal
// ill-formed subsequence as Unicode recommends, so a character cut at the end of a fixed-size
// text area turns into a single replacement character.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
