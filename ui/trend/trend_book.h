#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ua_types.h"

struct OPCUAItemData;

// One value of a plotted point: milliseconds since 1970 (UTC) and the value.
struct TrendPoint {
    std::int64_t ms = 0;
    double value = 0;
};

// What a trend window plots: one series per point, each its samples in time order, one per
// instant, history and live alike.
struct TrendSeries {
    UaNodeId nodeId;                  // a copy: the point's row may go
    std::string idText;               // NodeId text, as the list shows it
    std::string name;                 // display name
    OPCUAItemData* record = nullptr;  // the point's row; null once the row is gone
    bool historizing = false;
    std::vector<TrendPoint> samples;
};

class TrendBook {
public:
    // A series for `record`, which must be alive now.
    void Add(OPCUAItemData& record);

    std::size_t Size() const { return series_.size(); }
    const TrendSeries& Series(std::size_t i) const { return series_[i]; }
    TrendSeries& Series(std::size_t i) { return series_[i]; }
    // The series of `record`, or -1.
    int IndexOf(const OPCUAItemData* record) const;
    // The rows the series still follow.
    std::vector<OPCUAItemData*> Records() const;
    // The row of `record` goes: its series keeps its samples and takes no more.
    bool Forget(const OPCUAItemData* record);
    void ForgetAll();

    // Takes `point` into series `i` unless that instant is there already or the value is no
    // number; true when taken.
    bool AddSample(std::size_t i, const TrendPoint& point);
    // Stored samples, in any order; instants already there are kept as they are. Returns how
    // many were new.
    std::size_t AddHistory(std::size_t i, std::vector<TrendPoint> points);
    std::size_t SampleCount() const;

private:
    std::vector<TrendSeries> series_;
};

// UA_DateTime (100 ns since 1601) and milliseconds since 1970, both UTC.
std::int64_t MsOf(std::int64_t uaDateTime);
std::int64_t UaDateTimeOf(std::int64_t ms);
