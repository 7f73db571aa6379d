#pragma once

// The language the locale asks for, by the first of LC_ALL, LC_MESSAGES and LANG that is set:
// 0 Chinese for "zh*", 1 English for anything else; Chinese when none is set.
int LocaleLanguageOfEnvironment();
