#pragma once

#include <open62541/types.h>

// The number a scalar value stands for: numbers as they are, Boolean as 1 or 0; NaN for any
// other value (texts, arrays, structures, no value).
double SampleNumber(const UA_Variant& value);
