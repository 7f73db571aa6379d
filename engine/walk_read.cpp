#include "engine/walk_read.h"

#include <algorithm>
#include <boost/thread/thread.hpp>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/browse_session_loss.h"
#include "engine/browse_stats.h"
#include "engine/read_results.h"
#include "engine/request_pipeline.h"
#include "engine/value_text.h"

namespace {

constexpr UA_UInt32 kPollMs = 20;

struct Slice {
    std::size_t offset;
    std::size_t count;
    bool retry = false;  // a second try after a timeout
};

class WalkRead {
public:
    WalkRead(UA_Client* client, std::span<OPCUAItemData* const> records, std::size_t slice,
             BrowseStats& stats)
        : records_(records), pipeline_(client), slice_(slice), stats_(stats) {
        for (std::size_t offset = 0; offset < records.size(); offset += slice)
            queue_.push_back({offset, std::min(slice, records.size() - offset)});
    }

    ReadEnd Run() {
        std::vector<RequestPipeline::Answer> answers;
        while (!queue_.empty() || pipeline_.Outstanding() > 0) {
            if (boost::this_thread::interruption_requested()) return ReadEnd::kInterrupted;
            while (pipeline_.HasRoom() && !queue_.empty() && !lost_) SendFront();
            if (lost_) break;
            if (pipeline_.Outstanding() == 0) continue;
            answers.clear();
            const UA_StatusCode status = pipeline_.Collect(answers, kPollMs);
            for (RequestPipeline::Answer& answer : answers) Handle(answer);
            if (IsSessionLost(status)) {
                if (lostTime_.empty()) lostTime_ = TimeText(0);
                lost_ = true;
            }
            if (lost_) break;
        }
        if (!lost_) return ReadEnd::kComplete;
        // As a Read that failed as a whole: the slices still out and those not sent yet.
        pipeline_.Abandon();
        for (const auto& [tag, slice] : inFlight_) MarkReadFailed(Part(slice), lostTime_);
        for (const Slice& slice : queue_) MarkReadFailed(Part(slice), lostTime_);
        return ReadEnd::kSessionLost;
    }

private:
    std::span<OPCUAItemData* const> Part(const Slice& slice) const {
        return records_.subspan(slice.offset, slice.count);
    }

    // The ids only borrow the records' NodeIds, which stay put; the request is encoded at once.
    void SendFront() {
        const Slice slice = queue_.front();
        queue_.pop_front();
        ids_.resize(slice.count * kWalkAttributeCount);
        for (std::size_t i = 0; i < ids_.size(); ++i) {
            UA_ReadValueId_init(&ids_[i]);
            ids_[i].nodeId = records_[slice.offset + i / kWalkAttributeCount]->nodeId;
            ids_[i].attributeId = kWalkAttributes[i % kWalkAttributeCount];
        }
        UA_ReadRequest request;
        UA_ReadRequest_init(&request);
        request.nodesToRead = ids_.data();
        request.nodesToReadSize = ids_.size();
        stats_.readRequests.fetch_add(1, std::memory_order_relaxed);
        stats_.peakNodesPerRead = std::max(stats_.peakNodesPerRead, ids_.size());
        const std::uint64_t tag = nextTag_++;
        const UA_StatusCode status = pipeline_.Send(&request, &UA_TYPES[UA_TYPES_READREQUEST],
                                                    &UA_TYPES[UA_TYPES_READRESPONSE], tag);
        if (status != UA_STATUSCODE_GOOD) {
            Failed(slice, status, TimeText(0));
            return;
        }
        inFlight_.emplace(tag, slice);
        stats_.peakOutstanding = std::max(stats_.peakOutstanding, pipeline_.Outstanding());
    }

    void Handle(RequestPipeline::Answer& answer) {
        const auto it = inFlight_.find(answer.tag);
        if (it == inFlight_.end()) return;
        const Slice slice = it->second;
        inFlight_.erase(it);
        const UA_ResponseHeader& header = answer.response.Header();
        const std::string timeText = TimeText(header.timestamp);
        if (header.serviceResult == UA_STATUSCODE_GOOD) {
            StoreWalkReadResults(Part(slice), answer.response.As<UA_ReadResponse>(), timeText);
        } else {
            Failed(slice, header.serviceResult, timeText);
        }
    }

    void Failed(const Slice& slice, UA_StatusCode status, const std::string& timeText) {
        if (IsSessionLost(status)) {
            lost_ = true;
            lostTime_ = timeText;
            MarkReadFailed(Part(slice), timeText);
            return;
        }
        const bool timedOut = status == UA_STATUSCODE_BADTIMEOUT;
        if (timedOut) ++stats_.timeouts;
        if ((IsReadLimitStatus(status) || (timedOut && !slice.retry)) && slice.count > 1) {
            if (!timedOut) Resize(slice.count / 2);
            const std::size_t half = slice.count / 2;
            queue_.push_front({slice.offset + half, slice.count - half, timedOut});
            queue_.push_front({slice.offset, half, timedOut});
        } else if (timedOut && !slice.retry) {
            queue_.push_front({slice.offset, slice.count, true});
        } else {
            MarkReadFailed(Part(slice), timeText);
            if (timedOut) return;
            for (const Slice& rest : queue_) MarkReadFailed(Part(rest), timeText);
            queue_.clear();
        }
    }

    // Slices not yet sent get no larger than what the server refused to take.
    void Resize(std::size_t size) {
        slice_ = std::max<std::size_t>(1, std::min(slice_, size));
        std::deque<Slice> resized;
        for (const Slice& s : queue_) {
            for (std::size_t done = 0; done < s.count; done += slice_)
                resized.push_back({s.offset + done, std::min(slice_, s.count - done), s.retry});
        }
        queue_.swap(resized);
    }

    std::span<OPCUAItemData* const> records_;
    RequestPipeline pipeline_;
    std::size_t slice_;
    BrowseStats& stats_;
    std::deque<Slice> queue_;
    std::unordered_map<std::uint64_t, Slice> inFlight_;
    std::vector<UA_ReadValueId> ids_;
    std::uint64_t nextTag_ = 0;
    bool lost_ = false;
    std::string lostTime_;
};

}  // namespace

ReadEnd ReadWalkValues(UA_Client* client, std::span<OPCUAItemData* const> records,
                       std::size_t maxNodesPerRead, BrowseStats& stats) {
    if (records.empty()) return ReadEnd::kComplete;
    // The server's limit counts attributes read, several to a point.
    const std::size_t nodes = maxNodesPerRead ? maxNodesPerRead : kDefaultNodesPerRead;
    const std::size_t slice = std::max<std::size_t>(1, nodes / kWalkAttributeCount);
    return WalkRead(client, records, slice, stats).Run();
}
