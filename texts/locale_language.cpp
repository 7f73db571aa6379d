#include "texts/locale_language.h"

#include <cstdlib>

int LocaleLanguage(const Environment& environment) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const auto value = environment(name);
        if (!value || value->empty()) continue;
        return value->starts_with("zh") ? 0 : 1;
    }
    return 0;
}

int LocaleLanguageOfEnvironment() {
    return LocaleLanguage([](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    });
}
