#pragma once

#include <functional>
#include <optional>
#include <string>

// Looks a variable of the environment up; nothing when it is not set.
using Environment = std::function<std::optional<std::string>(const std::string&)>;

// The language the locale asks for, by the first of LC_ALL, LC_MESSAGES and LANG that is set:
// 0 Chinese for "zh*", 1 English for anything else; Chinese when none is set.
int LocaleLanguage(const Environment& environment);

// The same, of this process's own environment.
int LocaleLanguageOfEnvironment();
