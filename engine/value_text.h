#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <string>

// Texts the point list shows for what a read delivered. Pure functions, safe on any thread.

// Text of a scalar of a supported type; false (and `text` untouched) for arrays, empty
// variants and every other type. A DateTime outside the years 1601 to 9999 shows
// kTimeOutOfRange.
bool VariantToText(const UA_Variant& value, std::string& text);

// What a time or DateTime value outside the years 1601 to 9999 (UTC) shows.
inline constexpr char kTimeOutOfRange[] = "out of range";

// A UTC instant shown in the client's local time, year first: "2024-08-05 14:03:09".
std::string TimeText(UA_DateTime utc);

// "GOOD", "UNCERTAIN" or "BAD" by the severity bits of `status`.
const char* QualityText(UA_StatusCode status);

// Index of `type` in UA_TYPES, or kNoTypeIndex for a type from another table.
inline constexpr std::uint16_t kNoTypeIndex = 0xFFFF;
std::uint16_t BuiltinTypeIndex(const UA_DataType* type);
