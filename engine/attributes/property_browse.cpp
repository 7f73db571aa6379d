#include "engine/attributes/property_browse.h"

#include <algorithm>
#include <deque>
#include <string_view>
#include <unordered_map>

#include "engine/browse_session_loss.h"
#include "engine/read_request.h"
#include "engine/request_pipeline.h"
#include "engine/ua_text.h"

namespace {

// Points in one Browse, and property nodes in one Read, when the server names no limit. A
// point has few properties, so its answer is small: larger Browses than the walk's do well.
constexpr std::size_t kDefaultNodesPerBrowse = 4096;
constexpr std::size_t kDefaultNodesPerRead = 8192;

// One request waiting or on its way: the points (or properties) it is about.
struct Job {
    std::size_t offset = 0;  // into the points or properties, for Browse and Read
    std::size_t count = 0;
    // For BrowseNext: the points and their continuation points, owned.
    std::vector<std::size_t> points;
    std::vector<UaByteString> continuations;
    bool retry = false;  // a point browsed again after the server had no continuation point
};

// Sends jobs with up to kMaxOutstandingRequests on their way; a job's answer may add jobs.
class JobRunner {
public:
    JobRunner(UA_Client* client, AttributeReadCounts& counts, const std::function<bool()>& stop)
        : pipeline_(client), counts_(counts), stop_(stop) {}

    using Send = std::function<UA_StatusCode(RequestPipeline&, Job&, std::uint64_t tag)>;
    using Take = std::function<void(Job&, UaAnyResponse&)>;

    // False when the session went, a request could not be sent or `stop` said so.
    bool Run(std::deque<Job>& queue, const Send& send, const Take& take) {
        std::vector<RequestPipeline::Answer> answers;
        while (!queue.empty() || pipeline_.Outstanding() > 0) {
            if (stop_ && stop_()) return false;
            while (pipeline_.HasRoom() && !queue.empty()) {
                const std::uint64_t tag = nextTag_++;
                Job job = std::move(queue.front());
                queue.pop_front();
                if (send(pipeline_, job, tag) != UA_STATUSCODE_GOOD) return false;
                inFlight_.emplace(tag, std::move(job));
                counts_.peakOutstanding =
                    std::max(counts_.peakOutstanding, pipeline_.Outstanding());
            }
            answers.clear();
            const UA_StatusCode status = pipeline_.Collect(answers, kPollMs);
            for (RequestPipeline::Answer& answer : answers) {
                const auto it = inFlight_.find(answer.tag);
                if (it == inFlight_.end()) continue;
                Job job = std::move(it->second);
                inFlight_.erase(it);
                const UA_StatusCode result = answer.response.Header().serviceResult;
                if (IsSessionLost(result)) return false;
                // A request refused as a whole leaves its points without properties.
                if (result == UA_STATUSCODE_GOOD) take(job, answer.response);
            }
            if (IsSessionLost(status)) return false;
        }
        return true;
    }

private:
    RequestPipeline pipeline_;
    AttributeReadCounts& counts_;
    const std::function<bool()>& stop_;
    std::unordered_map<std::uint64_t, Job> inFlight_;
    std::uint64_t nextTag_ = 0;
};

UA_BrowseDescription PropertyBrowse(const UA_NodeId& node) {
    UA_BrowseDescription d;
    UA_BrowseDescription_init(&d);
    d.nodeId = node;  // borrowed until the request is sent
    d.browseDirection = UA_BROWSEDIRECTION_FORWARD;
    d.referenceTypeId = UA_NODEID_NUMERIC(0, UA_NS0ID_HASPROPERTY);
    d.includeSubtypes = false;
    d.nodeClassMask = UA_NODECLASS_VARIABLE;
    d.resultMask = UA_BROWSERESULTMASK_BROWSENAME;
    return d;
}

void TakeTargets(const UA_BrowseResult& result, std::size_t point,
                 std::vector<PointProperty>& found) {
    for (std::size_t r = 0; r < result.referencesSize; ++r) {
        const UA_ReferenceDescription& ref = result.references[r];
        if (ref.browseName.namespaceIndex != 0) continue;
        const std::string_view name = UaTextView(ref.browseName.name);
        if (name != "EURange" && name != "EngineeringUnits") continue;
        found.push_back({point, name == "EURange", UaNodeId::CopyOf(ref.nodeId.nodeId)});
    }
}

// The continuation points of `response` become one BrowseNext job.
void QueueContinuations(std::span<const std::size_t> points, UA_BrowseResult* results,
                        std::size_t count, std::deque<Job>& queue) {
    Job next;
    for (std::size_t i = 0; i < count; ++i) {
        if (results[i].continuationPoint.length == 0) continue;
        next.points.push_back(points[i]);
        next.continuations.push_back(UaByteString::Adopt(std::move(results[i].continuationPoint)));
    }
    if (!next.points.empty()) queue.push_back(std::move(next));
}

}  // namespace

bool FindPointProperties(UA_Client* client, std::span<OPCUAItemData* const> points,
                         std::size_t nodesPerBrowse, std::vector<PointProperty>& found,
                         AttributeReadCounts& counts, const std::function<bool()>& stop) {
    const std::size_t slice = nodesPerBrowse ? nodesPerBrowse : kDefaultNodesPerBrowse;
    std::deque<Job> queue;
    for (std::size_t offset = 0; offset < points.size(); offset += slice)
        queue.push_back({offset, std::min(slice, points.size() - offset), {}, {}, false});
    std::vector<UA_BrowseDescription> descriptions;
    std::vector<UA_ByteString> continuations;
    std::vector<std::size_t> indices;

    JobRunner runner(client, counts, stop);
    const auto send = [&](RequestPipeline& pipeline, Job& job, std::uint64_t tag) {
        if (!job.continuations.empty()) {
            continuations.clear();
            for (const UaByteString& c : job.continuations) continuations.push_back(*c);
            UA_BrowseNextRequest request;
            UA_BrowseNextRequest_init(&request);
            request.continuationPoints = continuations.data();
            request.continuationPointsSize = continuations.size();
            ++counts.browseNexts;
            return pipeline.Send(&request, &UA_TYPES[UA_TYPES_BROWSENEXTREQUEST],
                                 &UA_TYPES[UA_TYPES_BROWSENEXTRESPONSE], tag);
        }
        descriptions.clear();
        for (std::size_t i = 0; i < job.count; ++i)
            descriptions.push_back(PropertyBrowse(points[job.offset + i]->nodeId));
        UA_BrowseRequest request;
        UA_BrowseRequest_init(&request);
        request.nodesToBrowse = descriptions.data();
        request.nodesToBrowseSize = descriptions.size();
        ++counts.browses;
        counts.peakNodesPerBrowse = std::max(counts.peakNodesPerBrowse, job.count);
        return pipeline.Send(&request, &UA_TYPES[UA_TYPES_BROWSEREQUEST],
                             &UA_TYPES[UA_TYPES_BROWSERESPONSE], tag);
    };
    const auto take = [&](Job& job, UaAnyResponse& response) {
        UA_BrowseResult* results;
        std::size_t size;
        if (job.continuations.empty()) {
            auto& r = response.As<UA_BrowseResponse>();
            results = r.results;
            size = r.resultsSize;
            indices.clear();
            for (std::size_t i = 0; i < job.count; ++i) indices.push_back(job.offset + i);
        } else {
            auto& r = response.As<UA_BrowseNextResponse>();
            results = r.results;
            size = r.resultsSize;
            indices = job.points;
        }
        if (size != indices.size()) return;  // answers that match no point
        for (std::size_t i = 0; i < size; ++i) {
            const UA_StatusCode status = results[i].statusCode;
            if (status == UA_STATUSCODE_GOOD) {
                TakeTargets(results[i], indices[i], found);
            } else if (status == UA_STATUSCODE_BADNOCONTINUATIONPOINTS && !job.retry) {
                // The session held too many at once; alone and later it gets one.
                Job again{indices[i], 1, {}, {}, true};
                queue.push_back(std::move(again));
            }
        }
        QueueContinuations(indices, results, size, queue);
    };
    return runner.Run(queue, send, take);
}

bool ReadPointProperties(UA_Client* client, const std::vector<PointProperty>& properties,
                         std::size_t nodesPerRead, PointAttributeTable& table,
                         AttributeReadCounts& counts, const std::function<bool()>& stop) {
    const std::size_t slice = nodesPerRead ? nodesPerRead : kDefaultNodesPerRead;
    std::deque<Job> queue;
    for (std::size_t offset = 0; offset < properties.size(); offset += slice)
        queue.push_back({offset, std::min(slice, properties.size() - offset), {}, {}, false});
    std::vector<UA_NodeId> nodes;
    ReadRequestBuilder builder;

    JobRunner runner(client, counts, stop);
    const auto send = [&](RequestPipeline& pipeline, Job& job, std::uint64_t tag) {
        nodes.clear();
        for (std::size_t i = 0; i < job.count; ++i)
            nodes.push_back(*properties[job.offset + i].node);
        const UA_ReadRequest& request = builder.Build(std::span<const UA_NodeId>(nodes));
        ++counts.propertyReads;
        counts.peakNodesPerRead = std::max(counts.peakNodesPerRead, job.count);
        return pipeline.Send(&request, &UA_TYPES[UA_TYPES_READREQUEST],
                             &UA_TYPES[UA_TYPES_READRESPONSE], tag);
    };
    const auto take = [&](Job& job, UaAnyResponse& response) {
        const auto& r = response.As<UA_ReadResponse>();
        if (r.resultsSize != job.count) return;
        for (std::size_t i = 0; i < job.count; ++i) {
            const PointProperty& property = properties[job.offset + i];
            const UA_DataValue& value = r.results[i];
            if (!value.hasValue || (value.hasStatus && value.status != UA_STATUSCODE_GOOD))
                continue;
            PointAttributes& attributes = table[property.point];
            if (property.range) {
                TakeRange(value.value, attributes);
            } else {
                TakeUnits(value.value, attributes);
            }
        }
    };
    return runner.Run(queue, send, take);
}

bool TakeRange(const UA_Variant& value, PointAttributes& attributes) {
    if (!UA_Variant_hasScalarType(&value, &UA_TYPES[UA_TYPES_RANGE])) return false;
    const auto* range = static_cast<const UA_Range*>(value.data);
    attributes.rangeLow = range->low;
    attributes.rangeHigh = range->high;
    attributes.known |= PointAttributes::kRange;
    return true;
}

bool TakeUnits(const UA_Variant& value, PointAttributes& attributes) {
    if (!UA_Variant_hasScalarType(&value, &UA_TYPES[UA_TYPES_EUINFORMATION])) return false;
    const auto* units = static_cast<const UA_EUInformation*>(value.data);
    attributes.units = std::string(UaTextView(units->displayName.text));
    attributes.known |= PointAttributes::kUnits;
    return true;
}
