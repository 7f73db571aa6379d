#include "ui/trend/trend_book.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/node_id_text.h"
#include "engine/opcua_item_data.h"

namespace {

bool Earlier(const TrendPoint& a, const TrendPoint& b) { return a.ms < b.ms; }

}  // namespace

void TrendBook::Add(OPCUAItemData& record) {
    TrendSeries s;
    s.nodeId = UaNodeId::CopyOf(record.nodeId);
    s.idText = NodeIdToText(record.nodeId);
    s.name = record.displayName;
    s.record = &record;
    series_.push_back(std::move(s));
}

int TrendBook::IndexOf(const OPCUAItemData* record) const {
    if (record == nullptr) return -1;
    for (std::size_t i = 0; i < series_.size(); ++i)
        if (series_[i].record == record) return static_cast<int>(i);
    return -1;
}

std::vector<OPCUAItemData*> TrendBook::Records() const {
    std::vector<OPCUAItemData*> records;
    for (const TrendSeries& s : series_)
        if (s.record != nullptr) records.push_back(s.record);
    return records;
}

bool TrendBook::Forget(const OPCUAItemData* record) {
    bool found = false;
    for (TrendSeries& s : series_) {
        if (s.record == record && record != nullptr) {
            s.record = nullptr;
            found = true;
        }
    }
    return found;
}

void TrendBook::ForgetAll() {
    for (TrendSeries& s : series_) s.record = nullptr;
}

bool TrendBook::AddSample(std::size_t i, const TrendPoint& point) {
    if (i >= series_.size() || !std::isfinite(point.value)) return false;
    std::vector<TrendPoint>& samples = series_[i].samples;
    // Live samples come in time order: the usual case is one at the end.
    if (samples.empty() || samples.back().ms < point.ms) {
        samples.push_back(point);
        return true;
    }
    const auto at = std::lower_bound(samples.begin(), samples.end(), point, Earlier);
    if (at != samples.end() && at->ms == point.ms) return false;
    samples.insert(at, point);
    return true;
}

std::size_t TrendBook::AddHistory(std::size_t i, std::vector<TrendPoint> points) {
    if (i >= series_.size()) return 0;
    points.erase(std::remove_if(points.begin(), points.end(),
                                [](const TrendPoint& p) { return !std::isfinite(p.value); }),
                 points.end());
    std::stable_sort(points.begin(), points.end(), Earlier);
    points.erase(std::unique(points.begin(), points.end(),
                             [](const TrendPoint& a, const TrendPoint& b) { return a.ms == b.ms; }),
                 points.end());
    std::vector<TrendPoint>& samples = series_[i].samples;
    // Instants the series has already keep their sample.
    std::vector<TrendPoint> fresh;
    fresh.reserve(points.size());
    std::set_difference(points.begin(), points.end(), samples.begin(), samples.end(),
                        std::back_inserter(fresh), Earlier);
    std::vector<TrendPoint> merged;
    merged.reserve(samples.size() + fresh.size());
    std::merge(samples.begin(), samples.end(), fresh.begin(), fresh.end(),
               std::back_inserter(merged), Earlier);
    samples.swap(merged);
    return fresh.size();
}

std::size_t TrendBook::SampleCount() const {
    std::size_t n = 0;
    for (const TrendSeries& s : series_) n += s.samples.size();
    return n;
}

std::int64_t MsOf(std::int64_t uaDateTime) {
    return (uaDateTime - UA_DATETIME_UNIX_EPOCH) / UA_DATETIME_MSEC;
}

std::int64_t UaDateTimeOf(std::int64_t ms) {
    return ms * UA_DATETIME_MSEC + UA_DATETIME_UNIX_EPOCH;
}
