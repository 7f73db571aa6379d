#include "export/export_format.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

namespace {

std::string LowerExtension(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

ExportFormat ChooseExportFormat(SaveFilter filter, std::string_view path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".xls") return ExportFormat::Xls;
    if (extension == ".xlsx") return ExportFormat::Xlsx;
    if (extension == ".csv") {
        return filter == SaveFilter::TagsCsv ? ExportFormat::TagsCsv : ExportFormat::Csv;
    }
    if (extension == ".json") return ExportFormat::Json;
    if (extension == ".toml") return ExportFormat::Telegraf;
    switch (filter) {
        case SaveFilter::Json:
            return ExportFormat::Json;
        case SaveFilter::Telegraf:
            return ExportFormat::Telegraf;
        case SaveFilter::TagsCsv:
            return ExportFormat::TagsCsv;
        case SaveFilter::Xlsx:
            return ExportFormat::Xlsx;
        case SaveFilter::Csv:
            return ExportFormat::Csv;
        case SaveFilter::Xls:
        case SaveFilter::Text:
        case SaveFilter::All:
            break;
    }
    return ExportFormat::Xls;
}

std::size_t MaxExportedPoints(ExportFormat format) {
    switch (format) {
        case ExportFormat::Xls:
            return 65535;
        case ExportFormat::Xlsx:
            return 1048575;
        case ExportFormat::Csv:
        case ExportFormat::Json:
        case ExportFormat::TagsCsv:
        case ExportFormat::Telegraf:
            break;
    }
    return std::numeric_limits<std::size_t>::max();
}

bool CarriesAttributes(ExportFormat format) {
    switch (format) {
        case ExportFormat::Xlsx:
        case ExportFormat::Csv:
        case ExportFormat::Json:
        case ExportFormat::TagsCsv:
            return true;
        case ExportFormat::Xls:
        case ExportFormat::Telegraf:
            break;
    }
    return false;
}
