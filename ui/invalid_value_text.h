#pragma once

#include <string>

// The message for a text that is no value of built-in type `typeIndex`, in the current
// language, naming the form that would be: for example "invalid value, expected Int32
// (-2147483648 to 2147483647)".
std::string InvalidValueText(int typeIndex);
