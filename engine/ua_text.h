#pragma once

#include <open62541/types.h>

#include <string>
#include <string_view>

// Texts and scalars read out of open62541 values. An empty string may carry no data pointer at
// all, so it is never handed to a constructor that would read it.

inline std::string_view UaTextView(const UA_String& s) {
    return s.length == 0 ? std::string_view()
                         : std::string_view(reinterpret_cast<const char*>(s.data), s.length);
}

inline std::string UaText(const UA_String& s) { return std::string(UaTextView(s)); }

// The value of `v` when it holds one scalar of UA_TYPES[typeIndex]; null otherwise.
template <class T>
const T* ScalarOf(const UA_Variant& v, int typeIndex) {
    return UA_Variant_hasScalarType(&v, &UA_TYPES[typeIndex]) ? static_cast<const T*>(v.data)
                                                              : nullptr;
}
