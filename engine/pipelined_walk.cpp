#include "engine/pipelined_walk.h"

#include <algorithm>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <utility>

#include "engine/browse_references.h"
#include "engine/browse_session_loss.h"
#include "engine/browse_stats.h"
#include "engine/read_results.h"
#include "engine/request_retry.h"

namespace {

// After interruption, how long the walk waits for answers on their way, to give back the
// continuation points they bring; what comes later is thrown away.
constexpr std::uint32_t kGiveBackMs = 60;
// A server that keeps handing out continuation points with nothing behind them would hold the
// walk for ever; this many empty pages in a row end the node.
constexpr int kMaxEmptyPages = 8;

UA_BrowseDescription Describe(const UA_NodeId& node) {
    UA_BrowseDescription d;
    UA_BrowseDescription_init(&d);
    d.nodeId = node;  // borrowed: the request is encoded before the node could go
    d.browseDirection = UA_BROWSEDIRECTION_FORWARD;
    d.referenceTypeId = UA_NODEID_NULL;  // every reference type
    d.includeSubtypes = false;
    d.nodeClassMask = UA_NODECLASS_OBJECT | UA_NODECLASS_VARIABLE;
    d.resultMask = UA_BROWSERESULTMASK_ALL;
    return d;
}

}  // namespace

PipelinedWalk::PipelinedWalk(UA_Client* client, const ServerLimits& limits, PointRecords& points,
                             BrowseStats& stats)
    : points_(points),
      stats_(stats),
      pipeline_(client),
      nodesPerBrowse_(limits.maxNodesPerBrowse ? limits.maxNodesPerBrowse : kDefaultNodesPerBrowse),
      continuationLimit_(limits.maxBrowseContinuationPoints) {}

WalkEnd PipelinedWalk::Run() {
    queue_.push_back(
        {met_.Insert(UaNodeId::CopyOf(UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER))), 0, 0});
    std::vector<RequestPipeline::Answer> answers;
    while (!sessionLost_) {
        if (boost::this_thread::interruption_requested()) {
            GiveBack(kGiveBackMs);
            return WalkEnd::kInterrupted;
        }
        Fill();
        if (sessionLost_) break;
        if (pipeline_.Outstanding() == 0) return WalkEnd::kComplete;  // Fill found nothing to send
        answers.clear();
        const UA_StatusCode status = pipeline_.Collect(answers, kPollMs);
        for (RequestPipeline::Answer& answer : answers) Handle(answer);
        if (IsSessionLost(status)) sessionLost_ = true;
    }
    // Nothing more can be asked; answers still due are thrown away whenever they come.
    pipeline_.Abandon();
    return WalkEnd::kSessionLost;
}

// Sends while there is room, most urgent first: continuation points to give back, then those
// to follow (both free the server's memory), then second tries, then new nodes.
void PipelinedWalk::Fill() {
    while (pipeline_.HasRoom() && !sessionLost_ && !refusedInFlight_) {
        if (!toRelease_.empty()) {
            SendRelease();
        } else if (!held_.empty()) {
            std::vector<Held> batch;
            // A second try goes alone, so that it cannot take others down with it.
            const bool retry = held_.front().retry;
            const std::size_t size = retry ? 1 : nodesPerBrowse_;
            while (!held_.empty() && batch.size() < size && held_.front().retry == retry) {
                batch.push_back(std::move(held_.front()));
                held_.pop_front();
            }
            SendBrowseNext(std::move(batch));
        } else if (!timedOut_.empty()) {
            const Queued q = timedOut_.front();
            timedOut_.pop_front();
            SendBrowse({q.node}, q, true);
        } else if (!queue_.empty() &&
                   (continuationLimit_ == 0 || PointsInFlight() < continuationLimit_)) {
            const Queued first = queue_.front();
            const std::size_t size = NextBatchSize();
            std::vector<const UA_NodeId*> nodes;
            while (!queue_.empty() && nodes.size() < size && queue_.front().kin == first.kin) {
                nodes.push_back(queue_.front().node);
                queue_.pop_front();
            }
            SendBrowse(std::move(nodes), first, false);
        } else if (!refused_.empty() && pipeline_.Outstanding() == 0) {
            // Nodes refused a continuation point go again once the walk holds none, alone, so
            // that a refusal now means the server has none to give at all.
            const Queued first = refused_.front();
            std::vector<const UA_NodeId*> nodes;
            while (!refused_.empty() && nodes.size() < refusedBatch_ &&
                   refused_.front().kin == first.kin) {
                nodes.push_back(refused_.front().node);
                refused_.pop_front();
            }
            refusedInFlight_ = true;
            SendBrowse(std::move(nodes), first, true);
        } else {
            return;
        }
    }
}

// Nodes at the front of the queue in one Browse: as many as fit the reference budget by what
// their kin had, spread over the free requests, never more than the server takes.
std::size_t PipelinedWalk::NextBatchSize() const {
    const auto known = referencesOfKin_.find(queue_.front().kin);
    const std::size_t seen = known == referencesOfKin_.end() ? 0 : known->second;
    const std::size_t budget =
        seen ? std::max<std::size_t>(1, kReferencesPerBrowse / seen) : kProbeNodes;
    const std::size_t free = kMaxOutstandingRequests - pipeline_.Outstanding();
    const std::size_t spread = (queue_.size() + free - 1) / free;
    return std::max<std::size_t>(1, std::min({nodesPerBrowse_, budget, spread}));
}

bool PipelinedWalk::SendBrowse(std::vector<const UA_NodeId*> nodes, const Queued& first,
                               bool retry) {
    std::vector<UA_BrowseDescription> descriptions;
    descriptions.reserve(nodes.size());
    for (const UA_NodeId* node : nodes) descriptions.push_back(Describe(*node));
    UA_BrowseRequest request;
    UA_BrowseRequest_init(&request);
    request.requestedMaxReferencesPerNode = 0;
    request.nodesToBrowse = descriptions.data();
    request.nodesToBrowseSize = descriptions.size();
    const bool exclusive = refusedInFlight_ && retry;
    Batch batch{Kind::kBrowse, std::move(nodes), first.depth, first.kin, {}, retry, exclusive};
    return Send(&request, &UA_TYPES[UA_TYPES_BROWSEREQUEST], &UA_TYPES[UA_TYPES_BROWSERESPONSE],
                std::move(batch));
}

bool PipelinedWalk::SendBrowseNext(std::vector<Held> held) {
    std::vector<UA_ByteString> points;
    points.reserve(held.size());
    for (const Held& h : held) points.push_back(*h.point);  // borrowed until encoded
    UA_BrowseNextRequest request;
    UA_BrowseNextRequest_init(&request);
    request.releaseContinuationPoints = false;
    request.continuationPoints = points.data();
    request.continuationPointsSize = points.size();
    Batch batch{Kind::kBrowseNext, {}, 0, 0, std::move(held), false, false};
    return Send(&request, &UA_TYPES[UA_TYPES_BROWSENEXTREQUEST],
                &UA_TYPES[UA_TYPES_BROWSENEXTRESPONSE], std::move(batch));
}

// Whether the server still knew them does not matter; the answer is not looked at.
bool PipelinedWalk::SendRelease() {
    const std::size_t size = std::min(nodesPerBrowse_, toRelease_.size());
    std::vector<UaByteString> owned;
    owned.reserve(size);
    for (std::size_t i = 0; i < size; ++i) owned.push_back(std::move(toRelease_[i]));
    toRelease_.erase(toRelease_.begin(), toRelease_.begin() + static_cast<long>(size));
    std::vector<UA_ByteString> points;
    for (const UaByteString& p : owned) points.push_back(*p);
    UA_BrowseNextRequest request;
    UA_BrowseNextRequest_init(&request);
    request.releaseContinuationPoints = true;
    request.continuationPoints = points.data();
    request.continuationPointsSize = points.size();
    return Send(&request, &UA_TYPES[UA_TYPES_BROWSENEXTREQUEST],
                &UA_TYPES[UA_TYPES_BROWSENEXTRESPONSE],
                Batch{Kind::kRelease, {}, 0, 0, {}, false, false});
}

bool PipelinedWalk::Send(const void* request, const UA_DataType* requestType,
                         const UA_DataType* responseType, Batch batch) {
    const std::size_t size = batch.kind == Kind::kBrowse ? batch.nodes.size() : batch.held.size();
    stats_.browseRequests.fetch_add(1, std::memory_order_relaxed);
    if (batch.kind != Kind::kBrowse)
        stats_.browseNextRequests.fetch_add(1, std::memory_order_relaxed);
    stats_.peakNodesPerBrowse = std::max(stats_.peakNodesPerBrowse, size);
    const std::uint64_t tag = nextTag_++;
    const UA_StatusCode status = pipeline_.Send(request, requestType, responseType, tag);
    if (status != UA_STATUSCODE_GOOD) {
        if (batch.exclusive) refusedInFlight_ = false;
        Failed(batch, status);
        return false;
    }
    inFlight_.emplace(tag, std::move(batch));
    stats_.peakOutstanding = std::max(stats_.peakOutstanding, pipeline_.Outstanding());
    return true;
}

void PipelinedWalk::Handle(RequestPipeline::Answer& answer) {
    const auto it = inFlight_.find(answer.tag);
    if (it == inFlight_.end()) return;
    Batch batch = std::move(it->second);
    inFlight_.erase(it);
    if (batch.exclusive) refusedInFlight_ = false;
    const UA_StatusCode service = answer.response.Header().serviceResult;
    if (service != UA_STATUSCODE_GOOD) {
        Failed(batch, service);
        return;
    }
    switch (batch.kind) {
        case Kind::kBrowse:
            HandleBrowse(batch, answer.response.As<UA_BrowseResponse>());
            break;
        case Kind::kBrowseNext:
            HandleBrowseNext(batch, answer.response.As<UA_BrowseNextResponse>());
            break;
        case Kind::kRelease:
            break;
    }
}

// A request the server did not answer as a whole, dealt with as StepAfterFailure says. A node
// whose Browse timed out is tried once more on its own.
void PipelinedWalk::Failed(Batch& batch, UA_StatusCode status) {
    if (status == UA_STATUSCODE_BADTIMEOUT) ++stats_.timeouts;
    switch (batch.kind) {
        case Kind::kRelease:
            if (StepAfterFailure(status, 1, true) == RetryStep::kSessionLost) sessionLost_ = true;
            return;
        case Kind::kBrowse:
            switch (StepAfterFailure(status, batch.nodes.size(), batch.retry)) {
                case RetryStep::kSessionLost:
                    sessionLost_ = true;
                    return;
                case RetryStep::kRetrySmaller:
                case RetryStep::kRetry:
                    for (const UA_NodeId* node : batch.nodes)
                        timedOut_.push_back({node, batch.depth, batch.kin});
                    return;
                case RetryStep::kShrink:
                    nodesPerBrowse_ = std::max<std::size_t>(1, batch.nodes.size() / 2);
                    for (auto it = batch.nodes.rbegin(); it != batch.nodes.rend(); ++it)
                        queue_.push_front({*it, batch.depth, batch.kin});
                    return;
                case RetryStep::kGiveUp:
                    Fail(batch.nodes.size());
                    return;
            }
            return;
        case Kind::kBrowseNext:
            for (Held& h : batch.held) {
                switch (StepAfterFailure(status, batch.held.size(), h.retry)) {
                    case RetryStep::kSessionLost:
                        sessionLost_ = true;
                        return;
                    case RetryStep::kShrink:
                        nodesPerBrowse_ = std::max<std::size_t>(1, batch.held.size() / 2);
                        h.retry = false;
                        held_.push_back(std::move(h));
                        break;
                    case RetryStep::kRetrySmaller:
                    case RetryStep::kRetry:
                        h.retry = true;
                        held_.push_back(std::move(h));
                        break;
                    case RetryStep::kGiveUp:
                        Release(std::move(h.point));
                        Fail(1);
                        break;
                }
            }
            return;
    }
}

void PipelinedWalk::HandleBrowse(Batch& batch, UA_BrowseResponse& response) {
    if (response.resultsSize != batch.nodes.size()) {
        for (std::size_t i = 0; i < response.resultsSize; ++i)
            Release(UaByteString::Adopt(std::move(response.results[i].continuationPoint)));
        Fail(batch.nodes.size());
        return;
    }
    std::size_t granted = 0;
    std::size_t refused = 0;
    for (std::size_t i = 0; i < batch.nodes.size(); ++i) {
        UA_BrowseResult& result = response.results[i];
        if (result.statusCode == UA_STATUSCODE_BADNOCONTINUATIONPOINTS) {
            if (batch.exclusive) {
                Fail(1);
            } else {
                refused_.push_back({batch.nodes[i], batch.depth, batch.kin});
                ++refused;
            }
            continue;
        }
        std::size_t& most = referencesOfKin_[batch.kin];
        most = std::max({most, result.referencesSize, std::size_t{1}});
        Take(result, batch.nodes[i], batch.depth);
        UaByteString point = UaByteString::Adopt(std::move(result.continuationPoint));
        if (result.statusCode != UA_STATUSCODE_GOOD) {
            Release(std::move(point));
            Fail(1);
        } else if (point->length > 0) {
            ++granted;
            held_.push_back({batch.nodes[i], batch.depth, batch.kin, std::move(point)});
        }
    }
    if (refused > 0) {
        // As many at once as the server gave this time, and no more than it says it keeps.
        refusedBatch_ = std::max<std::size_t>(1, granted);
        if (continuationLimit_ > 0) refusedBatch_ = std::min(refusedBatch_, continuationLimit_);
    }
}

void PipelinedWalk::HandleBrowseNext(Batch& batch, UA_BrowseNextResponse& response) {
    if (response.resultsSize != batch.held.size()) {
        for (Held& h : batch.held) Release(std::move(h.point));
        for (std::size_t i = 0; i < response.resultsSize; ++i)
            Release(UaByteString::Adopt(std::move(response.results[i].continuationPoint)));
        Fail(batch.held.size());
        return;
    }
    for (std::size_t i = 0; i < batch.held.size(); ++i) {
        Held& h = batch.held[i];
        UA_BrowseResult& page = response.results[i];
        Take(page, h.node, h.depth);
        // The server has used up the old point; the new one, if any, is the one to follow.
        h.point = UaByteString::Adopt(std::move(page.continuationPoint));
        h.retry = false;
        if (page.statusCode != UA_STATUSCODE_GOOD) {
            Release(std::move(h.point));
            Fail(1);
            continue;
        }
        if (h.point->length == 0) continue;  // the node is complete
        h.emptyPages = page.referencesSize == 0 ? h.emptyPages + 1 : 0;
        if (h.emptyPages >= kMaxEmptyPages) {
            Release(std::move(h.point));
            Fail(1);
            continue;
        }
        held_.push_back(std::move(h));
    }
}

// Nodes are browsed in the order they are first met, so a node several objects reference is
// browsed once, cycles end, and its path is the one through the parent it was first met below.
void PipelinedWalk::Take(UA_BrowseResult& result, const UA_NodeId* node, std::size_t depth) {
    const auto found = objectOf_.find(node);
    const std::uint32_t object = found == objectOf_.end() ? ObjectPaths::kObjects : found->second;
    TakeReferences(result, object, children_, points_, stats_);
    const std::uint64_t kin = std::uint64_t{depth + 1} << 32 | result.referencesSize;
    for (ChildNode& child : children_) {
        if (const UA_NodeId* added = met_.Insert(std::move(child.id))) {
            objectOf_.emplace(added, points_.Paths().Add(object, child.name));
            queue_.push_back({added, depth + 1, kin});
        }
    }
    children_.clear();
}

void PipelinedWalk::Fail(std::size_t nodes) { stats_.nodesFailed += nodes; }

void PipelinedWalk::Release(UaByteString point) {
    if (point->length > 0) toRelease_.push_back(std::move(point));
}

// Continuation points the walk holds or has asked to follow.
std::size_t PipelinedWalk::PointsInFlight() const {
    std::size_t points = held_.size();
    for (const auto& [tag, batch] : inFlight_) points += batch.held.size();
    return points;
}

// Gives back every continuation point held, and those the answers still on their way bring,
// for as long as `graceMs` allows.
void PipelinedWalk::GiveBack(std::uint32_t graceMs) {
    for (Held& h : held_) Release(std::move(h.point));
    held_.clear();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    std::vector<RequestPipeline::Answer> answers;
    while ((pipeline_.Outstanding() > 0 || !toRelease_.empty()) &&
           std::chrono::steady_clock::now() < end) {
        while (pipeline_.HasRoom() && !toRelease_.empty() && !sessionLost_) SendRelease();
        if (sessionLost_) break;
        answers.clear();
        if (IsSessionLost(pipeline_.Collect(answers, 10))) break;
        for (RequestPipeline::Answer& answer : answers) {
            inFlight_.erase(answer.tag);
            if (answer.response.Header().serviceResult != UA_STATUSCODE_GOOD) continue;
            UA_BrowseResult* results = nullptr;
            std::size_t count = 0;
            if (answer.response.Type() == &UA_TYPES[UA_TYPES_BROWSERESPONSE]) {
                results = answer.response.As<UA_BrowseResponse>().results;
                count = answer.response.As<UA_BrowseResponse>().resultsSize;
            } else {
                results = answer.response.As<UA_BrowseNextResponse>().results;
                count = answer.response.As<UA_BrowseNextResponse>().resultsSize;
            }
            for (std::size_t i = 0; i < count; ++i)
                Release(UaByteString::Adopt(std::move(results[i].continuationPoint)));
        }
    }
    pipeline_.Abandon();
}
