#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <span>

#include "engine/ua_owned.h"

using UaByteString = UaOwned<UA_ByteString, UA_TYPES_BYTESTRING>;

// A byte string holding a copy of `bytes`; no bytes give the empty byte string (no block).
inline UaByteString ByteStringOf(std::span<const unsigned char> bytes) {
    UaByteString copy;
    if (bytes.empty()) return copy;
    if (UA_ByteString_allocBuffer(copy.get(), bytes.size()) != UA_STATUSCODE_GOOD)
        throw std::bad_alloc();
    std::memcpy(copy->data, bytes.data(), bytes.size());
    return copy;
}

inline std::span<const unsigned char> BytesOf(const UA_ByteString& bytes) {
    if (bytes.length == 0) return {};
    return {bytes.data, bytes.length};
}
