#include "ui/window_title.h"

#include <cstdio>

#include "texts/text_table.h"

std::string BuildDate() { return __DATE__; }

std::string MainWindowTitle(const std::string& buildDate) {
    char build[260];
    std::snprintf(build, sizeof build, " Build: %s(MBCS)", buildDate.c_str());
    return Text(TextKey::TitlePrefix) + build + "]";
}

std::string MainWindowTitle() { return MainWindowTitle(BuildDate()); }
