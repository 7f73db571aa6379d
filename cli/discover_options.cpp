#include "cli/discover_options.h"

#include <algorithm>
#include <charconv>

namespace {

bool TakesValue(const std::string& name) {
    static const char* const kValued[] = {"--sweep",         "--ports",  "--lds",    "--url",
                                          "--probe-timeout", "--export", "--format", "--lang"};
    return std::any_of(std::begin(kValued), std::end(kValued),
                       [&](const char* v) { return name == v; });
}

DiscoverParse Refused(TextKey key, const std::string& detail) {
    DiscoverParse parse;
    parse.error = {key, detail};
    return parse;
}

}  // namespace

bool WantsDiscovery(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--discover") != args.end();
}

DiscoverParse ParseDiscoverOptions(const std::vector<std::string>& args) {
    DiscoverOptions options;
    bool anySource = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (TakesValue(name) && !hasValue) {
            if (i + 1 >= args.size()) return Refused(TextKey::DiscoverMissingValue, name);
            value = args[++i];
        } else if (!TakesValue(name) && hasValue) {
            return Refused(TextKey::DiscoverBadOption, args[i]);
        }
        if (name == "--discover") {
        } else if (name == "--sweep") {
            RangeParse range = ParseRange(value);
            if (range.error) return Refused(range.error->key, range.error->detail);
            auto& hosts = options.request.hosts;
            hosts.insert(hosts.end(), range.hosts.begin(), range.hosts.end());
            anySource = true;
        } else if (name == "--ports") {
            PortParse ports = ParsePorts(value);
            if (ports.error) return Refused(ports.error->key, ports.error->detail);
            options.request.ports = ports.ports;
        } else if (name == "--lds") {
            options.request.ldsUrls.push_back(value);
            anySource = true;
        } else if (name == "--mdns") {
            options.request.mdns = true;
            anySource = true;
        } else if (name == "--url") {
            options.request.urls.push_back(value);
            anySource = true;
        } else if (name == "--probe-timeout") {
            int ms = 0;
            const auto [at, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (ec != std::errc() || at != value.data() + value.size() || ms < 50 || ms > 60000)
                return Refused(TextKey::DiscoverBadTimeout, value);
            options.request.probeTimeout = std::chrono::milliseconds(ms);
        } else if (name == "--export") {
            options.exportPath = value;
        } else if (name == "--format") {
            options.format = DiscoveryFormatNamed(value);
            if (!options.format) return Refused(TextKey::DiscoverBadOption, "--format " + value);
        } else if (name == "--lang") {
            if (value != "zh" && value != "en")
                return Refused(TextKey::DiscoverBadOption, "--lang " + value);
            options.language = value == "zh" ? 0 : 1;
        } else if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--no-history") {
            options.noHistory = true;
        } else {
            return Refused(TextKey::DiscoverBadOption, args[i]);
        }
    }
    if (!anySource) {
        options.request.ldsUrls.push_back(kLocalDiscoveryUrl);
        options.request.mdns = true;
    }
    DiscoverParse parse;
    parse.options = std::move(options);
    return parse;
}
