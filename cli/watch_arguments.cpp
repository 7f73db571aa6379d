#include "cli/watch_arguments.h"

#include <charconv>

#include "engine/option_rules.h"

namespace {

std::optional<int> WholeNumber(const std::string& text, int least, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < least || value > most) return std::nullopt;
    return value;
}

bool IsOption(const std::string& arg) { return arg.rfind("--", 0) == 0; }

}  // namespace

ArgumentTaken ParseWatchArgument(const std::vector<std::string>& args, std::size_t& i,
                                 WatchOptions& watch, CliError& error) {
    const std::string& arg = args[i];
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (name != "--watch" && name != "--seconds" && name != "--sampling")
        return ArgumentTaken::NotOurs;
    std::vector<std::string> values;
    if (equals != std::string::npos) values.push_back(arg.substr(equals + 1));
    if (name == "--watch") {
        // Every word up to the next option is a NodeId.
        while (i + 1 < args.size() && !IsOption(args[i + 1])) values.push_back(args[++i]);
    } else if (values.empty() && i + 1 < args.size()) {
        values.push_back(args[++i]);
    }
    if (values.empty() || values.front().empty()) {
        error = {TextKey::CliMissingValue, name};
        return ArgumentTaken::Refused;
    }
    if (name == "--watch") {
        watch.nodeIds.insert(watch.nodeIds.end(), values.begin(), values.end());
        return ArgumentTaken::Taken;
    }
    const auto number = name == "--seconds"
                            ? WholeNumber(values[0], 1, 366 * 24 * 3600)
                            : WholeNumber(values[0], kMinSamplingMs, kMaxSamplingMs);
    if (!number) {
        error = {TextKey::CliBadValue, name + " " + values[0]};
        return ArgumentTaken::Refused;
    }
    if (name == "--seconds") {
        watch.seconds = *number;
    } else {
        watch.samplingMs = *number;
    }
    return ArgumentTaken::Taken;
}

std::optional<CliError> CheckWatchOptions(const CliOptions& options, bool urlGiven) {
    const WatchOptions& watch = options.watch;
    if (!watch.Wanted()) {
        if (watch.seconds) return CliError{TextKey::CliConflict, "--seconds --watch"};
        return std::nullopt;
    }
    if (!urlGiven) return CliError{TextKey::CliNeedsUrl, {}};
    if (!options.exportPath.empty()) return CliError{TextKey::CliConflict, "--watch --export"};
    if (options.listEndpoints) return CliError{TextKey::CliConflict, "--watch --list-endpoints"};
    if (options.format && *options.format != ExportFormat::Csv &&
        *options.format != ExportFormat::Json)
        return CliError{TextKey::CliConflict, "--watch --format"};
    return std::nullopt;
}
