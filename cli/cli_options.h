#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/inventory/history_options.h"
#include "cli/watch_options.h"
#include "engine/connection_settings.h"
#include "export/export_format.h"
#include "texts/locale_language.h"
#include "texts/text_table.h"

// What the command line asks for: scan one server and export its points, without a window.
struct CliOptions {
    bool help = false;
    bool version = false;                // print "quorvane <version>" and nothing else
    std::string exportPath;              // "-": standard output
    std::optional<ExportFormat> format;  // --format: whatever the path's extension
    ConnectionSettings settings;         // the URL defaults to the window's default
    std::string passwordEnv;             // for user sign-in: empty reads standard input
    int language = -1;                   // 0 Chinese, 1 English, as the window; -1 the locale's
    bool listEndpoints = false;          // print the server's endpoints instead of exporting
    bool verbose = false;                // the library's log on standard error
    // --trust-server: the server certificate to trust for this run and from now on ("AA:BB:..")
    std::string trustServer;
    bool showCertificate = false;   // --show-certificate
    std::string exportCertificate;  // --export-certificate FILE
    bool attributes = false;        // --attributes: every point's attributes in the export
    HistoryOptions history;         // --inventory, --history, --diff, --no-history
    WatchOptions watch;             // --watch NODEID... --seconds N --sampling MS
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

// True when the arguments ask for the command line (--export, --help or --version): without
// them the window starts as before.
// True when the arguments ask for the command line: any option that is not one of Qt's own
// (-platform, -style, ...), so that a mistyped option gets the usage text instead of a window.
// No arguments, or only Qt's, start the window.
bool WantsCommandLine(const std::vector<std::string>& args);

// The language the arguments ask for, else the locale's; read before anything else so that
// even the complaint about a bad argument comes in it.
int LanguageOf(const std::vector<std::string>& args, const Environment& environment);

// Options from the arguments after the program name; "--name value" and "--name=value" both
// work. The password is never taken from here.
CliParse ParseCommandLine(const std::vector<std::string>& args);
