#include "cli/inventory/inventory_file.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace {

bool IsUrl(const std::string& text) { return text.rfind("opc.tcp://", 0) == 0; }

// The fields of a CSV line, quotes removed; enough to find a URL in it.
std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

InventoryFile ParseInventory(const std::string& text) {
    InventoryFile file;
    std::set<std::string> seen;
    std::istringstream lines(text);
    std::string raw;
    std::size_t number = 0;
    auto bad = [&](CliError error) {
        file.badLine = number;
        file.error = std::move(error);
        file.servers.clear();
        return file;
    };
    while (std::getline(lines, raw)) {
        ++number;
        const std::string line = Trimmed(raw.substr(0, raw.find('#')));
        if (line.empty()) continue;
        std::vector<std::string> tokens;
        const bool table = line.find(',') != std::string::npos && line.rfind("opc.tcp://", 0) != 0;
        if (table) {
            const auto fields = CsvFields(raw);
            const auto url = std::find_if(fields.begin(), fields.end(),
                                          [](const std::string& f) { return IsUrl(Trimmed(f)); });
            if (url == fields.end()) continue;  // the table's header
            tokens.push_back(Trimmed(*url));
        } else {
            std::istringstream words(line);
            for (std::string word; words >> word;) tokens.push_back(word);
        }
        if (!IsUrl(tokens[0])) return bad({TextKey::CliBadValue, tokens[0]});
        // Only what chooses a connection belongs on a line.
        static const char* const kAllowed[] = {
            "--user",    "--password-env",         "--policy",      "--mode", "--cert", "--key",
            "--timeout", "--allow-plain-password", "--trust-server"};
        std::vector<std::string> args = {"--export", "-", "--url", tokens[0]};
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const std::string name = tokens[i].substr(0, tokens[i].find('='));
            if (name.rfind("-", 0) != 0) {  // the value of the option before
                args.push_back(tokens[i]);
                continue;
            }
            if (std::find(std::begin(kAllowed), std::end(kAllowed), name) == std::end(kAllowed))
                return bad({TextKey::CliUnknownOption, tokens[i]});
            args.push_back(tokens[i]);
        }
        const CliParse parsed = ParseCommandLine(args);
        if (!parsed.options) return bad(parsed.error);
        const CliOptions& options = *parsed.options;
        // Nobody can be asked for many passwords at once.
        if (options.settings.authKind == 2 && options.passwordEnv.empty())
            return bad({TextKey::CliConflict, "--user --password-env"});
        if (!seen.insert(options.settings.url).second) continue;
        InventoryEntry entry{number, options.settings, options.passwordEnv};
        if (!options.trustServer.empty())
            entry.settings.acceptedServerCertificates.push_back(options.trustServer);
        file.servers.push_back(std::move(entry));
    }
    return file;
}
