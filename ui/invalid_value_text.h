#pragma once

#include <string>

// The message for a text that is no value of built-in type `typeIndex`, in the current
// language, naming the form that would be: for example "invalid value, expected Int32
// (-2147483648 to 2147483647)".
std::string InvalidValueText(int typeIndex);

// The values a number of built-in type `typeIndex` can hold, "-128 ~ 127" / "-128 to 127";
// empty for types that are no numbers.
std::string NumberRangeText(int typeIndex);
