#include "ui/detail_rows.h"

#include "texts/text_table.h"

std::string AccessWords(std::uint8_t access) {
    const std::pair<std::uint8_t, TextKey> words[] = {
        {UA_ACCESSLEVELMASK_READ, TextKey::AccessRead},
        {UA_ACCESSLEVELMASK_WRITE, TextKey::AccessWrite},
        {UA_ACCESSLEVELMASK_HISTORYREAD, TextKey::AccessHistoryRead},
        {UA_ACCESSLEVELMASK_HISTORYWRITE, TextKey::AccessHistoryWrite},
    };
    std::string text;
    for (const auto& [bit, key] : words) {
        if ((access & bit) == 0) continue;
        if (!text.empty()) text += ", ";
        text += Text(key);
    }
    return text.empty() ? Text(TextKey::AccessNone) : text;
}

std::vector<DetailRow> DetailRows(const PointDetails& details, const std::string& path) {
    std::vector<DetailRow> rows;
    if (details.status != UA_STATUSCODE_GOOD) {
        rows.emplace_back(Text(TextKey::DetailsFailed), UA_StatusCode_name(details.status));
    }
    for (const DetailLine& line : details.lines) {
        const bool words = line.kind == DetailLine::Kind::kAccess && !line.failed;
        rows.emplace_back(line.label, words ? AccessWords(line.access) : line.text);
    }
    rows.emplace_back("Path", path);
    return rows;
}

std::string CopyRows(const std::vector<DetailRow>& rows) {
    std::string text;
    for (const auto& [label, value] : rows) text += label + '\t' + value + '\n';
    return text;
}
