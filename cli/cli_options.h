#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/connection_settings.h"
#include "export/export_format.h"
#include "texts/text_table.h"

// What the command line asks for: scan one server and export its points, without a window.
struct CliOptions {
    bool help = false;
    std::string exportPath;  // "-": standard output
    std::optional<ExportFormat> format;  // --format: whatever the path's extension
    ConnectionSettings settings;  // the URL defaults to the window's default
    std::string passwordEnv;      // for user sign-in: empty reads standard input
    int language = 0;             // 0 Chinese, 1 English, as the window
};

// Why the arguments were refused: a text key and the option or value it is about.
struct CliError {
    TextKey key;
    std::string detail;
};

struct CliParse {
    std::optional<CliOptions> options;
    CliError error{TextKey::CliNeedsExport, {}};
};

// True when the arguments ask for the command line (--export or --help): without them the
// window starts as before.
bool WantsCommandLine(const std::vector<std::string>& args);

// The language the arguments ask for, read before anything else so that even the complaint
// about a bad argument comes in it.
int LanguageOf(const std::vector<std::string>& args);

// Options from the arguments after the program name; "--name value" and "--name=value" both
// work. The password is never taken from here.
CliParse ParseCommandLine(const std::vector<std::string>& args);
