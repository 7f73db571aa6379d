#include "texts/locale_language.h"

#include <cstdlib>
#include <string_view>

int LocaleLanguageOfEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        return std::string_view(value).starts_with("zh") ? 0 : 1;
    }
    return 0;
}
