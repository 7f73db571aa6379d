#pragma once

#include <string>

#include "engine/ua_types.h"

// The value a typed text stands for as a point of built-in type `typeIndex` (the UA_TYPES
// index: 0 Boolean ... 12 DateTime, 14 ByteString, 20 LocalizedText) takes it:
// - integers parse as strtol, strtoul (both 32-bit), strtoll or strtoull with base 0 would,
//   then keep their low bits for the narrower types; Boolean is true when not 0 and DateTime
//   is the tick count itself;
// - Float and Double as strtof and strtod would, in the "C" locale whatever the program's;
// - String and ByteString carry the text's bytes, LocalizedText the bytes with locale "en-US";
//   an empty text gives an empty string, not a null one.
// Text that does not parse gives 0. Any other type gives an empty variant. A pure function.
UaVariant ValueFromText(const std::string& text, int typeIndex);
