#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <string>

// Texts the point list shows for what a read delivered. Pure functions, safe on any thread.

// Text of a value: numbers, texts and DateTime as they always were; Guid "%08x-%04x-...",
// StatusCode "BadOutOfRange (0x803C0000)", QualifiedName "ns:name", NodeId and ExpandedNodeId
// as their text, structures as "<encoding NodeId> (<bytes> B)", arrays "[1, -2, 3]" with at most
// 64 elements and then "… (N)", a null value empty. False (and `text` untouched) only for the
// few types that have no text (DiagnosticInfo, Decimal, bit fields). A DateTime outside
// the years 1601 to 9999 shows kTimeOutOfRange.
bool VariantToText(const UA_Variant& value, std::string& text);

// What a time or DateTime value outside the years 1601 to 9999 (UTC) shows.
inline constexpr char kTimeOutOfRange[] = "out of range";

// A UTC instant shown in the client's local time, year first: "2024-08-05 14:03:09"; empty for
// 0, which is what a read that got no answer has.
std::string TimeText(UA_DateTime utc);

// "GOOD", "UNCERTAIN" or "BAD" by the severity bits of `status`.
const char* QualityText(UA_StatusCode status);

// Index of `type` in UA_TYPES, or kNoTypeIndex for a type from another table.
inline constexpr std::uint16_t kNoTypeIndex = 0xFFFF;
std::uint16_t BuiltinTypeIndex(const UA_DataType* type);
