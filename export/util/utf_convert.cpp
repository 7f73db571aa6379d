#include "export/util/utf_convert.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct LeadByte {
    int length;               // bytes in the sequence, 0 when the byte cannot start one
    std::uint8_t secondLow;   // the second byte's range is narrower after some leads, which
    std::uint8_t secondHigh;  // rules out overlong forms, surrogates and code points > 10FFFF
};

LeadByte ClassifyLead(std::uint8_t byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

char16_t* PutUtf16(char16_t* out, char32_t code) {
    if (code < 0x10000) {
        *out++ = static_cast<char16_t>(code);
        return out;
    }
    code -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    return out;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    // Never more code units than bytes: four bytes make at most two units.
    std::u16string result(utf8.size(), u'\0');
    char16_t* out = result.data();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[pos]);
        if (lead < 0x80) {
            *out++ = lead;
            ++pos;
            continue;
        }
        const LeadByte kind = ClassifyLead(lead);
        if (kind.length == 0) {
            *out++ = kReplacement;
            ++pos;
            continue;
        }
        char32_t code = lead & (0xFF >> (kind.length + 1));
        int taken = 1;
        for (; taken < kind.length && pos + taken < utf8.size(); ++taken) {
            const auto next = static_cast<std::uint8_t>(utf8[pos + taken]);
            const std::uint8_t low = taken == 1 ? kind.secondLow : 0x80;
            const std::uint8_t high = taken == 1 ? kind.secondHigh : 0xBF;
            if (next < low || next > high) break;
            code = (code << 6) | (next & 0x3F);
        }
        if (taken < kind.length) {
            *out++ = kReplacement;  // the valid prefix is consumed with it
        } else {
            out = PutUtf16(out, code);
        }
        pos += static_cast<std::size_t>(taken);
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
    return result;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t pos = 0; pos < utf16.size(); ++pos) {
        const char16_t unit = utf16[pos];
        if (IsHighSurrogate(unit) && pos + 1 < utf16.size() && IsLowSurrogate(utf16[pos + 1])) {
            const char32_t code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                  (utf16[pos + 1] - 0xDC00);
            AppendUtf8(out, code);
            ++pos;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}
