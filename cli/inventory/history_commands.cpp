#include "cli/inventory/history_commands.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "cli/inventory/open_history.h"
#include "history/change_listing.h"
#include "history/change_texts.h"

namespace {

constexpr int kDiffSame = 0;
constexpr int kDiffChanged = 1;
constexpr int kDiffTrouble = 2;

std::string Seconds(const ScanFacts& facts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", (facts.endedMs - facts.startedMs) / 1000.0);
    return text;
}

// The two scans to compare: by id, the last complete one at or before a date and the last
// complete one, or the last two complete ones.
struct Pair {
    const ScanSummary* before = nullptr;
    const ScanSummary* after = nullptr;
    CliError error{TextKey::StoreNoScans, {}};
};

Pair Choose(const std::vector<ScanSummary>& scans, const HistoryOptions& h,
            const std::string& url) {
    Pair pair;
    pair.error.detail = url;
    if (h.scans) {
        auto byId = [&](long long id) -> const ScanSummary* {
            const auto found = std::find_if(scans.begin(), scans.end(),
                                            [&](const ScanSummary& s) { return s.id == id; });
            return found == scans.end() ? nullptr : &*found;
        };
        pair.before = byId(h.scans->first);
        pair.after = byId(h.scans->second);
        if (!pair.before || !pair.after) {
            pair.error = {TextKey::CliBadScans,
                          std::to_string(pair.before ? h.scans->second : h.scans->first)};
            pair.before = pair.after = nullptr;
        }
        return pair;
    }
    std::vector<const ScanSummary*> complete;
    for (const ScanSummary& scan : scans)
        if (scan.facts.complete) complete.push_back(&scan);
    if (complete.size() < 2 && !(h.sinceMs && !complete.empty())) return pair;
    pair.after = complete.back();
    if (h.sinceMs) {
        for (const ScanSummary* scan : complete)
            if (scan->facts.startedMs <= *h.sinceMs) pair.before = scan;
        if (!pair.before || pair.before == pair.after) pair.before = pair.after = nullptr;
    } else {
        pair.before = complete[complete.size() - 2];
    }
    return pair;
}

}  // namespace

int ListScanHistory(const CliOptions& options, CliStreams& io) {
    auto store = OpenHistory(io.err);
    if (!store) return kCliBadArguments;
    io.out << Text(TextKey::HistoryHeader) << "\n";
    for (const ScanSummary& scan : store->Scans(options.settings.url)) {
        io.out << scan.id << '\t' << LocalTimeText(scan.facts.startedMs) << '\t' << scan.points
               << '\t'
               << Text(scan.facts.complete ? TextKey::HistoryComplete : TextKey::HistoryCutShort)
               << '\t' << Seconds(scan.facts) << "\n";
    }
    return kCliDone;
}

int DiffScans(const CliOptions& options, CliStreams& io) {
    auto store = OpenHistory(io.err);
    if (!store) return kDiffTrouble;
    const std::vector<ScanSummary> scans = store->Scans(options.settings.url);
    const Pair pair = Choose(scans, options.history, options.settings.url);
    if (!pair.before) {
        io.err << "quorvane: " << Text(pair.error.key) << pair.error.detail << "\n";
        return kDiffTrouble;
    }
    // A scan cut short is compared only when asked for by id, and then with a warning.
    for (const ScanSummary* scan : {pair.before, pair.after}) {
        if (!scan->facts.complete)
            io.err << FormatText(TextKey::StoreBaseCutShort, scan->id) << "\n";
    }
    const auto before = store->Points(pair.before->id);
    const auto after = store->Points(pair.after->id);
    if (!before || !after) {
        io.err << "quorvane: " << Text(TextKey::StoreCannotOpen) << store->LastError() << "\n";
        return kDiffTrouble;
    }
    const ScanComparison comparison = CompareScans(*before, *after);
    const ChangeListingFormat format = options.history.json ? ChangeListingFormat::Json
                                       : options.format     ? ChangeListingFormat::Csv
                                                            : ChangeListingFormat::Text;
    if (format != ChangeListingFormat::Text || !comparison.changes.empty())
        ListChanges(comparison, *before, *after, format, io.out);
    return comparison.changes.empty() ? kDiffSame : kDiffChanged;
}
