#include "engine/sliced_read.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <vector>

#include "engine/browse_session_loss.h"
#include "engine/browse_stats.h"
#include "engine/request_retry.h"
#include "engine/value_text.h"

namespace {

struct Slice {
    std::size_t offset;
    std::size_t count;
    bool retry = false;  // a second try after a timeout
};

class SlicedRead {
public:
    SlicedRead(UA_Client* client, std::span<OPCUAItemData* const> records,
               ReadRequestBuilder& builder, SliceReadOptions& options, SliceSink& sink)
        : records_(records),
          builder_(builder),
          options_(options),
          sink_(sink),
          pipeline_(client),
          slice_(options.sliceSize ? options.sliceSize : std::max<std::size_t>(1, records.size())) {
        for (std::size_t offset = 0; offset < records.size(); offset += slice_)
            queue_.push_back({offset, std::min(slice_, records.size() - offset)});
    }

    ReadEnd Run() {
        std::vector<RequestPipeline::Answer> answers;
        while (!queue_.empty() || pipeline_.Outstanding() > 0) {
            if (options_.stop && options_.stop()) {
                options_.sliceSize = slice_;
                return ReadEnd::kInterrupted;  // the pipeline abandons what is on its way
            }
            while (pipeline_.HasRoom() && !queue_.empty() && !lost_ && !failed_) SendFront();
            if (lost_ || failed_) break;
            if (pipeline_.Outstanding() == 0) continue;
            answers.clear();
            const UA_StatusCode status = pipeline_.Collect(answers, kPollMs);
            for (RequestPipeline::Answer& answer : answers) Handle(answer);
            if (!lost_ && IsSessionLost(status)) {
                lostTime_ = TimeText(0);
                lost_ = true;
            }
            if (lost_ || failed_) break;
        }
        options_.sliceSize = slice_;
        if (!lost_ && !failed_) return ReadEnd::kComplete;
        // As a Read that failed as a whole: the slices still out and those not sent yet.
        pipeline_.Abandon();
        for (const auto& [tag, slice] : inFlight_)
            sink_.Failed(slice.offset, slice.count, lostTime_);
        for (const Slice& slice : queue_) sink_.Failed(slice.offset, slice.count, lostTime_);
        return lost_ ? ReadEnd::kSessionLost : ReadEnd::kComplete;
    }

private:
    void SendFront() {
        const Slice slice = queue_.front();
        queue_.pop_front();
        const UA_ReadRequest& request = builder_.Build(records_.subspan(slice.offset, slice.count));
        if (options_.stats) {
            options_.stats->readRequests.fetch_add(1, std::memory_order_relaxed);
            // What the server's limit counts: attributes read, not points.
            options_.stats->peakNodesPerRead =
                std::max(options_.stats->peakNodesPerRead, request.nodesToReadSize);
        }
        const std::uint64_t tag = nextTag_++;
        const UA_StatusCode status = pipeline_.Send(&request, &UA_TYPES[UA_TYPES_READREQUEST],
                                                    &UA_TYPES[UA_TYPES_READRESPONSE], tag);
        if (status != UA_STATUSCODE_GOOD) {
            Failed(slice, status, TimeText(0));
            return;
        }
        inFlight_.emplace(tag, slice);
        if (options_.stats)
            options_.stats->peakOutstanding =
                std::max(options_.stats->peakOutstanding, pipeline_.Outstanding());
    }

    void Handle(RequestPipeline::Answer& answer) {
        const auto it = inFlight_.find(answer.tag);
        if (it == inFlight_.end()) return;
        const Slice slice = it->second;
        inFlight_.erase(it);
        const UA_ResponseHeader& header = answer.response.Header();
        const std::string timeText = TimeText(header.timestamp);
        if (header.serviceResult == UA_STATUSCODE_GOOD) {
            sink_.Answered(slice.offset, slice.count, answer.response, timeText);
        } else {
            Failed(slice, header.serviceResult, timeText);
        }
    }

    void Failed(const Slice& slice, UA_StatusCode status, const std::string& timeText) {
        const bool timedOut = status == UA_STATUSCODE_BADTIMEOUT;
        if (timedOut && options_.stats) ++options_.stats->timeouts;
        switch (StepAfterFailure(status, slice.count, slice.retry)) {
            case RetryStep::kSessionLost:
                lost_ = true;
                lostTime_ = timeText;
                sink_.Failed(slice.offset, slice.count, timeText);
                return;
            case RetryStep::kShrink:
                Resize(slice.count / 2);
                PushHalves(slice, false);
                return;
            case RetryStep::kRetrySmaller:
                PushHalves(slice, true);
                return;
            case RetryStep::kRetry:
                queue_.push_front({slice.offset, slice.count, true});
                return;
            case RetryStep::kGiveUp:
                break;
        }
        sink_.Failed(slice.offset, slice.count, timeText);
        if (options_.allOrNothing) {
            failed_ = true;
            lostTime_ = timeText;
            return;
        }
        if (timedOut) return;  // the server may answer the others
        for (const Slice& rest : queue_) sink_.Failed(rest.offset, rest.count, timeText);
        queue_.clear();
    }

    void PushHalves(const Slice& slice, bool retry) {
        const std::size_t half = slice.count / 2;
        queue_.push_front({slice.offset + half, slice.count - half, retry});
        queue_.push_front({slice.offset, half, retry});
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
    ReadRequestBuilder& builder_;
    SliceReadOptions& options_;
    SliceSink& sink_;
    RequestPipeline pipeline_;
    std::size_t slice_;
    std::deque<Slice> queue_;
    std::unordered_map<std::uint64_t, Slice> inFlight_;
    std::uint64_t nextTag_ = 0;
    bool lost_ = false;
    bool failed_ = false;
    std::string lostTime_;
};

}  // namespace

ReadEnd ReadInSlices(UA_Client* client, std::span<OPCUAItemData* const> records,
                     ReadRequestBuilder& builder, SliceReadOptions& options, SliceSink& sink) {
    if (records.empty()) return ReadEnd::kComplete;
    return SlicedRead(client, records, builder, options, sink).Run();
}
