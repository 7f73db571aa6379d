#include "engine/node_id_text.h"


namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& text, const unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(kHexDigits[bytes[i] >> 4]);
        text.push_back(kHexDigits[bytes[i] & 0x0F]);
    }
}

// RFC 4648 alphabet with "=" padding and no line breaks.
void AppendBase64(std::string& text, const unsigned char* bytes, std::size_t count) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    for (; i + 3 <= count; i += 3) {
        const unsigned group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        text.push_back(kAlphabet[(group >> 18) & 63]);
        text.push_back(kAlphabet[(group >> 12) & 63]);
        text.push_back(kAlphabet[(group >> 6) & 63]);
        text.push_back(kAlphabet[group & 63]);
    }
    const std::size_t rest = count - i;
    if (rest == 0) return;
    const unsigned group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
    text.push_back(kAlphabet[(group >> 18) & 63]);
    text.push_back(kAlphabet[(group >> 12) & 63]);
    text.push_back(rest == 2 ? kAlphabet[(group >> 6) & 63] : '=');
    text.push_back('=');
}

}  // namespace

std::string IdentifierText(const UA_String& identifier) {
    std::string text;
    if (identifier.length == 0 || identifier.data == nullptr) return text;
    text.reserve(identifier.length);
    for (std::size_t i = 0; i < identifier.length; ++i) {
        const unsigned char byte = identifier.data[i];
        if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            AppendHex(text, &byte, 1);
        } else {
            text.push_back(static_cast<char>(byte));
        }
    }
    return text;
}

std::string GuidToText(const UA_Guid& guid) {
    // The fields in their stored (little-endian) byte order, not as numbers.
    const unsigned char d1[4] = {
        static_cast<unsigned char>(guid.data1), static_cast<unsigned char>(guid.data1 >> 8),
        static_cast<unsigned char>(guid.data1 >> 16), static_cast<unsigned char>(guid.data1 >> 24)};
    const unsigned char d2[2] = {static_cast<unsigned char>(guid.data2),
                                 static_cast<unsigned char>(guid.data2 >> 8)};
    const unsigned char d3[2] = {static_cast<unsigned char>(guid.data3),
                                 static_cast<unsigned char>(guid.data3 >> 8)};
    std::string text;
    text.reserve(36);
    AppendHex(text, d1, 4);
    text.push_back('-');
    AppendHex(text, d2, 2);
    text.push_back('-');
    AppendHex(text, d3, 2);
    text.push_back('-');
    AppendHex(text, guid.data4, 2);
    text.push_back('-');
    AppendHex(text, guid.data4 + 2, 6);
    return text;
}

std::string NodeIdToText(const UA_NodeId& nodeId) {
    std::string text = "ns=" + std::to_string(nodeId.namespaceIndex);
    switch (nodeId.identifierType) {
        case UA_NODEIDTYPE_NUMERIC:
            text += ";i=";
            text += std::to_string(nodeId.identifier.numeric);
            break;
        case UA_NODEIDTYPE_STRING:
            text += ";s=";
            text += IdentifierText(nodeId.identifier.string);
            break;
        case UA_NODEIDTYPE_GUID:
            text += ";g=";
            text += GuidToText(nodeId.identifier.guid);
            break;
        case UA_NODEIDTYPE_BYTESTRING:
            text += ";b=";
            AppendBase64(text, nodeId.identifier.byteString.data,
                         nodeId.identifier.byteString.length);
            break;
    }
    return text;
}
