#pragma once

// Owners of open62541 values: every value the engine takes from the library or hands to it has
// exactly one of these, so no path frees twice or forgets to free.

#include <open62541/client.h>
#include <open62541/types.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <span>

// Owns one value of the built-in open62541 type UA_TYPES[TypeIndex]: cleared with the library's
// own routine when the owner goes, never shared, only moved.
template <class T, std::size_t TypeIndex>
class UaOwned {
public:
    UaOwned() noexcept { UA_init(&value_, Type()); }
    ~UaOwned() { UA_clear(&value_, Type()); }

    UaOwned(UaOwned&& other) noexcept : value_(other.value_) { UA_init(&other.value_, Type()); }
    UaOwned& operator=(UaOwned&& other) noexcept {
        if (this != &other) {
            UA_clear(&value_, Type());
            value_ = other.value_;
            UA_init(&other.value_, Type());
        }
        return *this;
    }
    UaOwned(const UaOwned&) = delete;
    UaOwned& operator=(const UaOwned&) = delete;

    // Takes over what `raw` owns (a response returned by value, say) and leaves `raw` empty.
    static UaOwned Adopt(T&& raw) noexcept {
        UaOwned owned;
        owned.value_ = raw;
        UA_init(&raw, Type());
        return owned;
    }
    // Deep copy; running out of memory is the only way this fails.
    static UaOwned CopyOf(const T& source) {
        UaOwned owned;
        if (UA_copy(&source, &owned.value_, Type()) != UA_STATUSCODE_GOOD) throw std::bad_alloc();
        return owned;
    }

    // Hands the value to a caller that frees it itself (the library, for instance).
    T Release() noexcept {
        T raw = value_;
        UA_init(&value_, Type());
        return raw;
    }

    T* get() noexcept { return &value_; }
    const T* get() const noexcept { return &value_; }
    T& operator*() noexcept { return value_; }
    const T& operator*() const noexcept { return value_; }
    T* operator->() noexcept { return &value_; }
    const T* operator->() const noexcept { return &value_; }

    static const UA_DataType* Type() noexcept { return &UA_TYPES[TypeIndex]; }

private:
    T value_;
};

using UaNodeId = UaOwned<UA_NodeId, UA_TYPES_NODEID>;
using UaVariant = UaOwned<UA_Variant, UA_TYPES_VARIANT>;
using UaString = UaOwned<UA_String, UA_TYPES_STRING>;
using UaByteString = UaOwned<UA_ByteString, UA_TYPES_BYTESTRING>;

// Responses returned by value from UA_Client_Service_* are taken over with Adopt right away.
using UaReadResponse = UaOwned<UA_ReadResponse, UA_TYPES_READRESPONSE>;
using UaBrowseResponse = UaOwned<UA_BrowseResponse, UA_TYPES_BROWSERESPONSE>;
using UaBrowseNextResponse = UaOwned<UA_BrowseNextResponse, UA_TYPES_BROWSENEXTRESPONSE>;

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

struct UaClientDeleter {
    void operator()(UA_Client* client) const { UA_Client_delete(client); }
};
// Deleting never disconnects; callers that hold a session call UA_Client_disconnect first.
using UaClientPtr = std::unique_ptr<UA_Client, UaClientDeleter>;
