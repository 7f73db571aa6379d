#include "history/change_listing.h"

#include <ostream>
#include <string>

#include "export/csv/csv_writer.h"
#include "export/json/json_text.h"
#include "history/change_texts.h"

namespace {

const StoredPoint kNone{};

std::string RankText(int rank) { return rank == -1 ? "scalar" : "array"; }
std::string AccessText(int access) { return access < 0 ? "" : std::to_string(access); }

// "Int32 → Double; Plant/A → Plant/B" for the kinds that have two sides.
std::string Details(std::uint16_t kinds, const StoredPoint& a, const StoredPoint& b) {
    std::string text;
    auto add = [&](std::uint16_t kind, const std::string& from, const std::string& to) {
        if (!(kinds & kind)) return;
        if (!text.empty()) text += "; ";
        text += from + " → " + to;
    };
    add(kChangeRenumbered, a.nodeId, b.nodeId);
    add(kChangeDataType, a.dataType, b.dataType);
    add(kChangeAccess, AccessText(a.userAccess), AccessText(b.userAccess));
    add(kChangeMoved, a.path, b.path);
    add(kChangeArrayScalar, RankText(a.valueRank), RankText(b.valueRank));
    add(kChangeRenamed, a.displayName, b.displayName);
    return text;
}

std::string Keywords(std::uint16_t kinds) {
    std::string text;
    for (ChangeKind kind : EachChangeKind(kinds)) {
        if (!text.empty()) text += ' ';
        text += ChangeKeyword(kind);
    }
    return text;
}

const ChangeRow kHeader = {"change",
                           "node_id",
                           "previous_node_id",
                           "path",
                           "previous_path",
                           "display_name",
                           "previous_display_name",
                           "data_type",
                           "previous_data_type",
                           "value_rank",
                           "previous_value_rank",
                           "user_access",
                           "previous_user_access"};

ChangeRow RowOf(const PointChange& change, const StoredPoint& a, const StoredPoint& b) {
    const bool hasA = change.before >= 0, hasB = change.after >= 0;
    return {Keywords(change.kinds),
            hasB ? b.nodeId : "",
            hasA ? a.nodeId : "",
            hasB ? b.path : "",
            hasA ? a.path : "",
            hasB ? b.displayName : "",
            hasA ? a.displayName : "",
            hasB ? b.dataType : "",
            hasA ? a.dataType : "",
            hasB ? RankText(b.valueRank) : "",
            hasA ? RankText(a.valueRank) : "",
            hasB ? AccessText(b.userAccess) : "",
            hasA ? AccessText(a.userAccess) : ""};
}

}  // namespace

std::vector<ChangeRow> ChangeTable(const ScanComparison& comparison,
                                   std::span<const StoredPoint> before,
                                   std::span<const StoredPoint> after) {
    std::vector<ChangeRow> rows;
    rows.reserve(comparison.changes.size() + 1);
    rows.push_back(kHeader);
    for (const PointChange& change : comparison.changes) {
        const StoredPoint& a = change.before < 0 ? kNone : before[change.before];
        const StoredPoint& b = change.after < 0 ? kNone : after[change.after];
        rows.push_back(RowOf(change, a, b));
    }
    return rows;
}

void ListChanges(const ScanComparison& comparison, std::span<const StoredPoint> before,
                 std::span<const StoredPoint> after, ChangeListingFormat format,
                 std::ostream& out) {
    auto sides = [&](const PointChange& change) {
        const StoredPoint& a = change.before < 0 ? kNone : before[change.before];
        const StoredPoint& b = change.after < 0 ? kNone : after[change.after];
        return std::pair<const StoredPoint&, const StoredPoint&>(a, b);
    };
    if (format == ChangeListingFormat::Csv) {
        for (std::size_t i = 0; i < kHeader.size(); ++i) out << (i ? "," : "") << kHeader[i];
        out << "\r\n";
    }
    if (format == ChangeListingFormat::Json) out << "[";
    bool first = true;
    for (const PointChange& change : comparison.changes) {
        const auto [a, b] = sides(change);
        const StoredPoint& shown = change.after < 0 ? a : b;
        switch (format) {
            case ChangeListingFormat::Text:
                out << RowChangeText(change.kinds) << '\t' << shown.nodeId << '\t' << shown.path
                    << '\t' << shown.displayName;
                if (change.before >= 0 && change.after >= 0)
                    out << '\t' << Details(change.kinds, a, b);
                out << '\n';
                break;
            case ChangeListingFormat::Csv: {
                const ChangeRow fields = RowOf(change, a, b);
                for (std::size_t i = 0; i < fields.size(); ++i)
                    out << (i ? "," : "") << CsvField(fields[i]);
                out << "\r\n";
                break;
            }
            case ChangeListingFormat::Json: {
                auto point = [](const StoredPoint& p) {
                    return "{\"nodeId\":" + JsonString(p.nodeId) +
                           ",\"path\":" + JsonString(p.path) +
                           ",\"displayName\":" + JsonString(p.displayName) +
                           ",\"dataType\":" + JsonString(p.dataType) +
                           ",\"array\":" + (p.valueRank == -1 ? "false" : "true") +
                           ",\"userAccess\":" +
                           (p.userAccess < 0 ? std::string("null") : std::to_string(p.userAccess)) +
                           "}";
                };
                out << (first ? "\n" : ",\n") << "{\"change\":[";
                bool firstKind = true;
                for (ChangeKind kind : EachChangeKind(change.kinds)) {
                    out << (firstKind ? "" : ",") << JsonString(ChangeKeyword(kind));
                    firstKind = false;
                }
                out << "],\"before\":" << (change.before < 0 ? "null" : point(a))
                    << ",\"after\":" << (change.after < 0 ? "null" : point(b)) << "}";
                break;
            }
        }
        first = false;
    }
    if (format == ChangeListingFormat::Json) out << "\n]\n";
}
