#pragma once

#include <open62541/types.h>

#include <cstddef>
#include <new>

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
