#include "export/json/json_text.h"

#include <cctype>

#include "export/util/quoted_text.h"

std::string JsonString(std::string_view raw) { return QuotedText(raw); }

std::string_view JsonNumber(std::string_view text) {
    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    std::size_t i = 0;
    const auto digit = [&](std::size_t k) {
        return k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]));
    };
    if (i < text.size() && text[i] == '-') ++i;
    if (!digit(i)) return {};
    if (text[i] == '0') {
        ++i;
    } else {
        while (digit(i)) ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digit(i)) return {};
        while (digit(i)) ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (!digit(i)) return {};
        while (digit(i)) ++i;
    }
    return i == text.size() ? text : std::string_view();
}
