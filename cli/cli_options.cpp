#include "cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

#include "cli/inventory/history_arguments.h"
#include "cli/watch_arguments.h"
#include "engine/certificate_facts.h"
#include "engine/option_rules.h"

namespace {

const char kDefaultUrl[] = "opc.tcp://127.0.0.1:4840";

// Splits "--name=value" into its two parts; a plain "--name" has no value.
struct Argument {
    std::string name;
    std::optional<std::string> value;
};

Argument SplitArgument(const std::string& text) {
    const auto equals = text.find('=');
    if (text.rfind("--", 0) != 0 || equals == std::string::npos) return {text, std::nullopt};
    return {text.substr(0, equals), text.substr(equals + 1)};
}

template <std::size_t N>
std::optional<std::string> OneOf(const char* const (&names)[N], std::string_view value) {
    const auto found = std::find_if(std::begin(names), std::end(names),
                                    [&](const char* name) { return value == name; });
    if (found == std::end(names)) return std::nullopt;
    return std::string(*found);
}

std::optional<std::string> ModeName(std::string_view value) {
    if (value == "SignAndEncrypt") return std::string(kSecurityModes[2]);
    return OneOf(kSecurityModes, value);
}

std::optional<int> Timeout(std::string_view value) {
    int seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
    if (seconds < kMinTimeoutSeconds || seconds > kMaxTimeoutSeconds) return std::nullopt;
    return seconds;
}

CliParse Refuse(TextKey key, std::string detail) {
    CliParse result;
    result.error = {key, std::move(detail)};
    return result;
}

}  // namespace

bool WantsCommandLine(const std::vector<std::string>& args) {
    // Qt's own options, with one dash or two; those of the first list take a value.
    static const char* const kQtWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "style",
                                               "stylesheet",
                                               "session",
                                               "display",
                                               "geometry",
                                               "title",
                                               "name",
                                               "font",
                                               "fn",
                                               "bg",
                                               "background",
                                               "fg",
                                               "foreground",
                                               "btn",
                                               "button",
                                               "visual",
                                               "ncols",
                                               "cmap",
                                               "im",
                                               "inputstyle",
                                               "qmljsdebugger"};
    static const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb",
                                           "dograb",  "sync",        "testability"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') continue;  // Qt passes other words on; so do we
        std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
        const auto equals = name.find('=');
        const bool joined = equals != std::string::npos;
        if (joined) name.resize(equals);
        if (OneOf(kQtWithValue, name)) {
            if (!joined) ++i;
            continue;
        }
        if (OneOf(kQtFlags, name)) continue;
        return true;
    }
    return false;
}

int LanguageOf(const std::vector<std::string>& args, const Environment& environment) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Argument a = SplitArgument(args[i]);
        if (a.name != "--lang") continue;
        const std::string value = a.value ? *a.value : (i + 1 < args.size() ? args[i + 1] : "");
        if (value == "en") return 1;
        if (value == "zh") return 0;
    }
    return LocaleLanguage(environment);
}

CliParse ParseCommandLine(const std::vector<std::string>& args) {
    CliOptions options;
    options.settings.url = kDefaultUrl;
    bool user = false, passwordEnv = false, cert = false, key = false;
    bool policy = false, mode = false, url = false, lang = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        CliError historyError{TextKey::CliBadValue, {}};
        const ArgumentTaken taken = ParseHistoryArgument(args, i, options.history, historyError);
        if (taken == ArgumentTaken::Refused) return Refuse(historyError.key, historyError.detail);
        if (taken == ArgumentTaken::Taken) continue;
        const ArgumentTaken watched = ParseWatchArgument(args, i, options.watch, historyError);
        if (watched == ArgumentTaken::Refused) return Refuse(historyError.key, historyError.detail);
        if (watched == ArgumentTaken::Taken) continue;
        const Argument a = SplitArgument(args[i]);
        if (a.name == "--help" || a.name == "-h") {
            options.help = true;
            continue;
        }
        if (a.name == "--version") {
            options.version = true;
            continue;
        }
        if (a.name == "--show-certificate") {
            options.showCertificate = true;
            continue;
        }
        if (a.name == "--allow-plain-password") {
            options.settings.allowPlainPassword = true;
            continue;
        }
        if (a.name == "--list-endpoints") {
            options.listEndpoints = true;
            continue;
        }
        if (a.name == "--verbose") {
            options.verbose = true;
            continue;
        }
        if (a.name == "--attributes") {
            options.attributes = true;
            continue;
        }
        if (a.name == "--password" || a.name == "-p") {
            return Refuse(TextKey::CliPasswordOnCommandLine, {});
        }
        static const char* const kWithValue[] = {
            "--export", "--url", "--policy",  "--mode", "--user",         "--password-env",
            "--cert",   "--key", "--timeout", "--lang", "--trust-server", "--export-certificate",
            "--format"};
        if (!OneOf(kWithValue, a.name)) return Refuse(TextKey::CliUnknownOption, args[i]);
        std::string value;
        if (a.value) {
            value = *a.value;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Refuse(TextKey::CliMissingValue, a.name);
        }
        if (value.empty()) return Refuse(TextKey::CliMissingValue, a.name);
        const std::string shown = a.name + " " + value;

        ConnectionSettings& s = options.settings;
        if (a.name == "--export") {
            options.exportPath = value;
        } else if (a.name == "--url") {
            s.url = value;
            url = true;
        } else if (a.name == "--policy") {
            const auto name = OneOf(kSecurityPolicies, value);
            if (!name) return Refuse(TextKey::CliBadValue, shown);
            s.securityPolicy = *name;
            policy = true;
        } else if (a.name == "--mode") {
            const auto name = ModeName(value);
            if (!name) return Refuse(TextKey::CliBadValue, shown);
            s.securityMode = *name;
            mode = true;
        } else if (a.name == "--user") {
            s.userName = value;
            user = true;
        } else if (a.name == "--password-env") {
            options.passwordEnv = value;
            passwordEnv = true;
        } else if (a.name == "--cert") {
            s.certificatePath = value;
            cert = true;
        } else if (a.name == "--key") {
            s.privateKeyPath = value;
            key = true;
        } else if (a.name == "--timeout") {
            const auto seconds = Timeout(value);
            if (!seconds) return Refuse(TextKey::CliBadValue, shown);
            s.timeoutSeconds = *seconds;
        } else if (a.name == "--trust-server") {
            const auto fingerprint = ParseFingerprint(value);
            if (!fingerprint) return Refuse(TextKey::CliBadValue, shown);
            options.trustServer = FingerprintText(*fingerprint);
        } else if (a.name == "--export-certificate") {
            options.exportCertificate = value;
        } else if (a.name == "--format") {
            if (value == "xls") {
                options.format = ExportFormat::Xls;
            } else if (value == "xlsx") {
                options.format = ExportFormat::Xlsx;
            } else if (value == "csv") {
                options.format = ExportFormat::Csv;
            } else if (value == "json") {
                options.format = ExportFormat::Json;
                options.history.json = true;  // the inventory and --diff write their own JSON
            } else if (value == "tags-csv") {
                options.format = ExportFormat::TagsCsv;
            } else if (value == "telegraf") {
                options.format = ExportFormat::Telegraf;
            } else {
                return Refuse(TextKey::CliBadFormat, value);
            }
        } else if (a.name == "--lang") {
            if (value != "zh" && value != "en") return Refuse(TextKey::CliBadValue, shown);
            options.language = value == "en" ? 1 : 0;
            lang = true;
        }
    }
    if (!lang) options.language = -1;  // the caller's locale decides
    if (options.help || options.version) return {options, {}};
    // Commands about this client's own certificate need no server.
    if (options.showCertificate || !options.exportCertificate.empty()) return {options, {}};
    if (const auto error = CheckHistoryOptions(options, url))
        return Refuse(error->key, error->detail);
    if (options.history.list || options.history.diff) return {options, {}};
    if (const auto error = CheckWatchOptions(options, url))
        return Refuse(error->key, error->detail);
    if (options.history.Wanted()) {
        // The inventory file names the servers; the rest is checked as for one scan.
    } else if (options.watch.Wanted()) {
        // The NodeIds say what to watch; the connect is checked as for one scan.
    } else if (options.listEndpoints) {
        if (!options.exportPath.empty())
            return Refuse(TextKey::CliConflict, "--list-endpoints --export");
        if (!url) return Refuse(TextKey::CliNeedsUrl, {});
    } else if (options.exportPath.empty()) {
        return Refuse(TextKey::CliNeedsExport, {});
    }
    if (policy != mode) return Refuse(TextKey::CliConflict, "--policy --mode");
    // As the options dialog couples them: no security on one side means none on the other.
    const bool policyNone = options.settings.securityPolicy == kSecurityPolicies[0];
    const bool modeNone = options.settings.securityMode == kSecurityModes[0];
    if (policy && policyNone != modeNone) {
        return Refuse(TextKey::CliConflict, "--policy " + options.settings.securityPolicy +
                                                " --mode " + options.settings.securityMode);
    }
    if (user && (cert || key)) return Refuse(TextKey::CliConflict, "--user --cert");
    if (passwordEnv && !user) return Refuse(TextKey::CliConflict, "--password-env --user");
    if (cert != key) return Refuse(TextKey::CliConflict, "--cert --key");
    // Neither --policy nor --mode: both stay empty, and a sign-in then takes the strongest
    // secure endpoint the server offers.
    options.settings.authKind = user ? 2 : (cert ? 3 : 1);
    return {options, {}};
}
