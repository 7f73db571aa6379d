#include "cli/inventory/history_arguments.h"

#include <charconv>
#include <ctime>

namespace {

std::optional<long long> Number(const std::string& text, long long least, long long most) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < least || value > most) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int64_t> ParseLocalDate(const std::string& text) {
    std::tm local{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    const std::size_t size = text.size();
    bool ok = false;
    if (size == 10) {
        ok = std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) == 3;
    } else if (size == 16 && (text[10] == ' ' || text[10] == 'T')) {
        ok = std::sscanf(text.c_str() + 11, "%2d:%2d%c", &hour, &minute, &end) == 2 &&
             std::sscanf(text.c_str(), "%4d-%2d-%2d", &year, &month, &day) == 3;
    } else if (size == 19 && (text[10] == ' ' || text[10] == 'T')) {
        ok = std::sscanf(text.c_str() + 11, "%2d:%2d:%2d%c", &hour, &minute, &second, &end) == 3 &&
             std::sscanf(text.c_str(), "%4d-%2d-%2d", &year, &month, &day) == 3;
    }
    if (!ok || text[4] != '-' || text[7] != '-') return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t at = std::mktime(&local);
    if (at == static_cast<std::time_t>(-1) || local.tm_mday != day) return std::nullopt;  // 02-31
    return static_cast<std::int64_t>(at) * 1000;
}

ArgumentTaken ParseHistoryArgument(const std::vector<std::string>& args, std::size_t& i,
                                   HistoryOptions& options, CliError& error) {
    const std::string& arg = args[i];
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (name == "--no-history" || name == "--history" || name == "--diff") {
        if (equals != std::string::npos) {
            error = {TextKey::CliBadValue, arg};
            return ArgumentTaken::Refused;
        }
        (name == "--no-history" ? options.noHistory
                                : (name == "--history" ? options.list : options.diff)) = true;
        return ArgumentTaken::Taken;
    }
    if (name != "--inventory" && name != "--jobs" && name != "--since" && name != "--scans")
        return ArgumentTaken::NotOurs;
    auto next = [&]() -> std::optional<std::string> {
        if (i + 1 >= args.size() || args[i + 1].empty()) return std::nullopt;
        return args[++i];
    };
    std::optional<std::string> value =
        equals != std::string::npos ? std::optional(arg.substr(equals + 1)) : next();
    if (!value || value->empty()) {
        error = {TextKey::CliMissingValue, name};
        return ArgumentTaken::Refused;
    }
    const std::string shown = name + " " + *value;
    if (name == "--inventory") {
        options.inventoryFile = *value;
    } else if (name == "--jobs") {
        const auto jobs = Number(*value, 1, 256);
        if (!jobs) {
            error = {TextKey::CliBadValue, shown};
            return ArgumentTaken::Refused;
        }
        options.jobs = static_cast<int>(*jobs);
    } else if (name == "--since") {
        options.sinceMs = ParseLocalDate(*value);
        if (!options.sinceMs) {
            error = {TextKey::CliBadDate, *value};
            return ArgumentTaken::Refused;
        }
    } else {
        const auto second = next();
        const auto a = Number(*value, 1, INT64_MAX);
        const auto b = second ? Number(*second, 1, INT64_MAX) : std::nullopt;
        if (!a || !b) {
            error = {second ? TextKey::CliBadValue : TextKey::CliMissingValue,
                     second ? shown + " " + *second : name};
            return ArgumentTaken::Refused;
        }
        options.scans = {*a, *b};
    }
    return ArgumentTaken::Taken;
}

std::optional<CliError> CheckHistoryOptions(const CliOptions& options, bool urlGiven) {
    const HistoryOptions& h = options.history;
    const int commands = (h.inventoryFile.empty() ? 0 : 1) + (h.list ? 1 : 0) + (h.diff ? 1 : 0);
    if (commands > 1) return CliError{TextKey::CliConflict, "--inventory --history --diff"};
    if (options.listEndpoints && h.Wanted())
        return CliError{TextKey::CliConflict, "--list-endpoints"};
    if ((h.scans || h.sinceMs) && !h.diff) return CliError{TextKey::CliConflict, "--scans --diff"};
    if (h.scans && h.sinceMs) return CliError{TextKey::CliConflict, "--scans --since"};
    if ((h.list || h.diff) && !urlGiven) return CliError{TextKey::CliNeedsUrl, {}};
    if ((h.list || h.diff) && !options.exportPath.empty())
        return CliError{TextKey::CliConflict, h.list ? "--history --export" : "--diff --export"};
    if (h.list && (h.json || options.format))
        return CliError{TextKey::CliConflict, "--history --format"};
    if (h.diff && options.format && *options.format != ExportFormat::Csv &&
        *options.format != ExportFormat::Json)
        return CliError{TextKey::CliBadFormat, "xls/xlsx"};
    if (h.noHistory && (h.list || h.diff)) return CliError{TextKey::CliConflict, "--no-history"};
    if (h.inventoryFile.empty() && h.jobs != 0)
        return CliError{TextKey::CliConflict, "--jobs --inventory"};
    if (!h.inventoryFile.empty() && options.format &&
        (*options.format == ExportFormat::Xls || *options.format == ExportFormat::TagsCsv ||
         *options.format == ExportFormat::Telegraf))
        return CliError{TextKey::CliBadFormat, "xls/tags-csv/telegraf"};
    return std::nullopt;
}
