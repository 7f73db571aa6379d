#pragma once

#include <string>

// The build date in the compiler's __DATE__ form, e.g. "Aug  5 2024".
std::string BuildDate();

// Title prefix of the current language, " Build: <date>(MBCS)" and the closing "]".
std::string MainWindowTitle(const std::string& buildDate);
std::string MainWindowTitle();
