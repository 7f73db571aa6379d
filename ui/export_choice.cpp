#include "ui/export_choice.h"

#include <algorithm>

#include "export/point_export.h"
#include "texts/export_texts.h"

namespace {

struct FilterFacts {
    SaveFilter filter;
    const char* name;
    const char* extension;  // null: the .xls name stays
};
constexpr FilterFacts kFacts[] = {
    {SaveFilter::Xls, "xls", nullptr},   {SaveFilter::Xlsx, "xlsx", ".xlsx"},
    {SaveFilter::Csv, "csv", ".csv"},    {SaveFilter::TagsCsv, "tags-csv", ".csv"},
    {SaveFilter::Json, "json", ".json"}, {SaveFilter::Telegraf, "telegraf", ".toml"},
    {SaveFilter::Text, "text", nullptr}, {SaveFilter::All, "all", nullptr},
};

}  // namespace

std::vector<SaveFilter> DialogFilters() {
    std::vector<SaveFilter> filters;
    for (const FilterFacts& f : kFacts) filters.push_back(f.filter);
    return filters;
}

std::string DialogFilterText() {
    const std::vector<std::string> texts = ExportFilterTexts();  // in SaveFilter order
    std::string joined;
    for (const SaveFilter filter : DialogFilters()) {
        if (!joined.empty()) joined += ";;";
        joined += texts[static_cast<std::size_t>(filter)];
    }
    return joined;
}

SaveFilter DialogFilterAt(int index) {
    const std::vector<SaveFilter> filters = DialogFilters();
    if (index < 0 || static_cast<std::size_t>(index) >= filters.size()) return filters.front();
    return filters[static_cast<std::size_t>(index)];
}

int DialogIndexOf(SaveFilter filter) {
    const std::vector<SaveFilter> filters = DialogFilters();
    return static_cast<int>(std::find(filters.begin(), filters.end(), filter) - filters.begin());
}

std::string FilterName(SaveFilter filter) {
    for (const FilterFacts& f : kFacts)
        if (f.filter == filter) return f.name;
    return "xls";
}

std::optional<SaveFilter> FilterFromName(const std::string& name) {
    for (const FilterFacts& f : kFacts)
        if (name == f.name) return f.filter;
    return std::nullopt;
}

std::string DefaultNameFor(const std::string& url, SaveFilter filter) {
    std::string name = DefaultExportFileName(url);
    for (const FilterFacts& f : kFacts) {
        if (f.filter == filter && f.extension != nullptr)
            name = name.substr(0, name.size() - 4) + f.extension;  // in place of ".xls"
    }
    return name;
}
