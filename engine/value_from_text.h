#pragma once

#include <optional>
#include <string>

#include "engine/opcua_item_data.h"
#include "engine/ua_types.h"

// The value a typed text stands for when written to a point of built-in type `typeIndex` (the
// UA_TYPES index: 0 Boolean ... 12 DateTime, 14 ByteString, 20 LocalizedText), or nothing when
// the whole text is not a valid value of that type. Nothing is ever guessed, cut or wrapped:
// - integers (SByte to UInt64): an optional sign, then decimal digits or "0x"/"0X" and
//   hexadecimal digits, within the type's range; "010" is ten, not eight;
// - Boolean: true, false, 1 or 0 in any case;
// - Float and Double: decimal digits with an optional point and exponent, in the "C" locale
//   whatever the program's, finite within the type's range; nan, inf and infinity (any case,
//   optional sign) only when spelled out like that;
// - DateTime: "D-M-YYYY H:M:S" with optional ".mmm", as the list shows DateTime values, in UTC,
//   years 1601 to 9999;
// - String, ByteString and LocalizedText (locale "en-US"): the text's bytes as typed; an empty
//   text gives an empty, not a null, string.
// Spaces and tabs around numbers, Booleans and DateTimes are ignored. Any other type gives
// nothing. A pure function.
std::optional<UaVariant> ValueFromText(const std::string& text, int typeIndex);

// Whether ValueFromText knows the type.
bool IsWritableType(int typeIndex);

// Why the write command does not offer itself for a point, kNone when it does.
enum class WriteRefusal { kNone, kNeverRead, kArray, kNoTextForm, kReadOnly };
WriteRefusal WhyNotWritable(const OPCUAItemData& record);

// Whether the write command may offer itself for `record`: a scalar of a type in the table
// above, read at least once, and not known to be closed to writing for this user.
bool CanWrite(const OPCUAItemData& record);
