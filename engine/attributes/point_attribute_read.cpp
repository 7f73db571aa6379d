#include "engine/attributes/point_attribute_read.h"

#include <algorithm>
#include <chrono>

#include "engine/browse_stats.h"
#include "engine/read_request.h"
#include "engine/sliced_read.h"
#include "engine/ua_text.h"
#include "engine/walk_read.h"

namespace {

constexpr std::size_t kAttributeCount = std::size(kExportAttributes);

class StoreAttributes : public SliceSink {
public:
    explicit StoreAttributes(PointAttributeTable& table) : table_(table) {}

    void Answered(std::size_t offset, std::size_t count, UaAnyResponse& response,
                  const std::string&) override {
        const auto& r = response.As<UA_ReadResponse>();
        if (r.resultsSize != count * kAttributeCount) return;
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t a = 0; a < kAttributeCount; ++a)
                TakeAttribute(a, r.results[i * kAttributeCount + a], table_[offset + i]);
        }
    }
    void Failed(std::size_t, std::size_t, const std::string&) override {}

private:
    PointAttributeTable& table_;
};

}  // namespace

void TakeAttribute(std::size_t attribute, const UA_DataValue& result, PointAttributes& out) {
    if (result.hasStatus && result.status != UA_STATUSCODE_GOOD) return;
    const UA_Variant& v = result.value;
    using F = PointAttributes;
    switch (kExportAttributes[attribute]) {
        case UA_ATTRIBUTEID_BROWSENAME:
            if (const auto* q = ScalarOf<UA_QualifiedName>(v, UA_TYPES_QUALIFIEDNAME)) {
                out.browseName = q->namespaceIndex == 0
                                     ? UaText(q->name)
                                     : std::to_string(q->namespaceIndex) + ":" + UaText(q->name);
                out.known |= F::kBrowseName;
            }
            break;
        case UA_ATTRIBUTEID_DESCRIPTION:
            if (const auto* t = ScalarOf<UA_LocalizedText>(v, UA_TYPES_LOCALIZEDTEXT)) {
                out.description = UaText(t->text);
                out.known |= F::kDescription;
            } else if (result.hasValue && UA_Variant_isEmpty(&v)) {
                out.known |= F::kDescription;  // a node without a description
            }
            break;
        case UA_ATTRIBUTEID_ACCESSLEVEL:
            if (const auto* b = ScalarOf<UA_Byte>(v, UA_TYPES_BYTE)) {
                out.accessLevel = *b;
                out.known |= F::kAccessLevel;
            }
            break;
        case UA_ATTRIBUTEID_USERACCESSLEVEL:
            if (const auto* b = ScalarOf<UA_Byte>(v, UA_TYPES_BYTE)) {
                out.userAccessLevel = *b;
                out.known |= F::kUserAccessLevel;
            }
            break;
        case UA_ATTRIBUTEID_VALUERANK:
            if (const auto* r = ScalarOf<UA_Int32>(v, UA_TYPES_INT32)) {
                out.valueRank = *r;
                out.known |= F::kValueRank;
            }
            break;
        case UA_ATTRIBUTEID_ARRAYDIMENSIONS:
            // An array of UInt32, empty or absent for a scalar.
            if (v.type == &UA_TYPES[UA_TYPES_UINT32] && !UA_Variant_isScalar(&v)) {
                const auto* d = static_cast<const UA_UInt32*>(v.data);
                out.arrayDimensions.assign(d, d + v.arrayLength);
                out.known |= F::kArrayDimensions;
            } else if (result.hasValue && UA_Variant_isEmpty(&v)) {
                out.arrayDimensions.clear();
                out.known |= F::kArrayDimensions;
            }
            break;
        case UA_ATTRIBUTEID_MINIMUMSAMPLINGINTERVAL:
            if (const auto* d = ScalarOf<UA_Double>(v, UA_TYPES_DOUBLE)) {
                out.minimumSamplingInterval = *d;
                out.known |= F::kMinimumSamplingInterval;
            }
            break;
        case UA_ATTRIBUTEID_HISTORIZING:
            if (const auto* h = ScalarOf<UA_Boolean>(v, UA_TYPES_BOOLEAN)) {
                out.historizing = *h;
                out.known |= F::kHistorizing;
            }
            break;
        default:
            break;
    }
}

bool ReadPointAttributes(UA_Client* client, std::span<OPCUAItemData* const> points,
                         const ServerLimits& limits, PointAttributeTable& table,
                         AttributeReadCounts* given, const std::function<bool()>& stop) {
    AttributeReadCounts own;
    AttributeReadCounts& counts = given != nullptr ? *given : own;
    table.assign(points.size(), PointAttributes{});
    if (points.empty()) return true;

    const std::size_t nodes =
        limits.maxNodesPerRead ? limits.maxNodesPerRead : kDefaultNodesPerRead;
    ReadRequestBuilder builder{std::span<const UA_UInt32>(kExportAttributes)};
    SliceReadOptions options;
    options.sliceSize = std::max<std::size_t>(1, nodes / kAttributeCount);
    options.stop = stop;
    BrowseStats stats;
    options.stats = &stats;
    StoreAttributes sink(table);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const ReadEnd end = ReadInSlices(client, points, builder, options, sink);
    const Clock::time_point read = Clock::now();
    counts.attributeSeconds = std::chrono::duration<double>(read - start).count();
    counts.attributeReads = stats.readRequests.load();
    counts.peakNodesPerRead = std::max(counts.peakNodesPerRead, stats.peakNodesPerRead);
    counts.peakOutstanding = std::max(counts.peakOutstanding, stats.peakOutstanding);
    if (end != ReadEnd::kComplete) return false;

    std::vector<PointProperty> properties;
    const bool ok =
        FindPointProperties(client, points, limits.maxNodesPerBrowse, properties, counts, stop) &&
        ReadPointProperties(client, properties, limits.maxNodesPerRead, table, counts, stop);
    counts.propertySeconds = std::chrono::duration<double>(Clock::now() - read).count();
    return ok;
}
