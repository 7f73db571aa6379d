#include "export/json/json_text.h"

#include <cctype>

#include "export/util/valid_utf8.h"

std::string JsonString(std::string_view raw) {
    const std::string text = ValidUtf8(raw);
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    static constexpr char kHex[] = "0123456789abcdef";
                    out += "\\u00";
                    out.push_back(kHex[byte >> 4]);
                    out.push_back(kHex[byte & 0xF]);
                } else {
                    out.push_back(c);
                }
        }
    }
    out.push_back('"');
    return out;
}

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
