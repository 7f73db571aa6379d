#include "texts/export_texts.h"

#include "texts/text_table.h"

std::vector<std::string> ExportFilterTexts() {
    return {Text(TextKey::FilterXls),      Text(TextKey::FilterXlsx),   Text(TextKey::FilterCsv),
            Text(TextKey::FilterText),     Text(TextKey::FilterAll),    Text(TextKey::FilterJson),
            Text(TextKey::FilterTelegraf), Text(TextKey::FilterTagsCsv)};
}

std::string CappedExportText(ExportFormat format, std::size_t notExported) {
    // The .xls text keeps its own wording; only the .xlsx sheet has a larger limit. A .csv
    // file has none.
    const TextKey key =
        format == ExportFormat::Xlsx ? TextKey::ExportCappedXlsx : TextKey::ExportCapped;
    return FormatText(key, static_cast<long long>(notExported));
}
