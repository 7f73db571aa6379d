#include <algorithm>
#include <utility>

#include "engine/opcua_browser.h"
#include "engine/read_request.h"
#include "engine/read_results.h"
#include "engine/server_limits.h"
#include "engine/sliced_read.h"
#include "engine/value_text.h"

namespace {

using Records = std::span<OPCUAItemData* const>;

// Keeps every slice's answer until all are in: the records change only then, so a failure part
// way leaves them as one failed Read would, values untouched, all "BAD". Every record of the
// call gets the time of the first answer.
class StoreWhenComplete : public SliceSink {
public:
    explicit StoreWhenComplete(Records all) : all_(all) {}

    void Answered(std::size_t offset, std::size_t count, UaAnyResponse& response,
                  const std::string& timeText) override {
        if (timeText_.empty()) timeText_ = timeText;
        answers_.push_back({offset, count, std::move(response)});
    }
    void Failed(std::size_t, std::size_t, const std::string& timeText) override {
        if (timeText_.empty()) timeText_ = timeText;
        failed_ = true;
    }

    // 0 when every record got its result, -1 (all marked failed) otherwise.
    int Finish(bool complete) {
        if (timeText_.empty()) timeText_ = TimeText(0);
        complete = complete && !failed_;
        for (std::size_t i = 0; complete && i < answers_.size(); ++i) {
            // A mismatch marks its own slice failed; the whole call fails with it.
            Answer& a = answers_[i];
            complete = StoreReadResults(all_.subspan(a.offset, a.count),
                                        a.response.As<UA_ReadResponse>(), timeText_);
        }
        if (!complete) MarkReadFailed(all_, timeText_);
        return complete ? 0 : -1;
    }

private:
    struct Answer {
        std::size_t offset;
        std::size_t count;
        UaAnyResponse response;
    };
    Records all_;
    std::vector<Answer> answers_;
    std::string timeText_;
    bool failed_ = false;
};

}  // namespace

UA_StatusCode OPCUABrowser::LoadServerLimits(UA_DateTime& timestamp,
                                             const std::function<bool()>& stop) {
    if (maxNodesPerRead) return UA_STATUSCODE_GOOD;
    ServerLimits limits;
    const UA_StatusCode status = ReadServerLimits(client.get(), limits, timestamp, stop);
    if (status != UA_STATUSCODE_GOOD) return status;
    maxNodesPerRead = limits.maxNodesPerRead;
    maxNodesPerBrowse = limits.maxNodesPerBrowse;
    maxBrowseContinuationPoints = limits.maxBrowseContinuationPoints;
    return status;
}

int OPCUABrowser::ReadValues(const std::vector<OPCUAItemData*>& records,
                             const std::atomic<bool>* cancel) {
    if (records.empty()) return -2;
    const Records all(records);
    if (!client) {
        // As a Read that never got an answer: no server time, so the time origin.
        MarkReadFailed(all, TimeText(0));
        return -1;
    }
    const auto stop = [cancel] { return cancel != nullptr && cancel->load(); };

    // One Read of one node can exceed no limit, so only larger reads need to know it.
    std::size_t limit = 0;
    if (all.size() > 1) {
        UA_DateTime timestamp = 0;
        if (LoadServerLimits(timestamp, stop) != UA_STATUSCODE_GOOD) {
            // The session is gone or the server refuses Reads; the values would fare no better.
            MarkReadFailed(all, TimeText(timestamp));
            return -1;
        }
        limit = *maxNodesPerRead;
    }

    ReadRequestBuilder builder;
    SliceReadOptions options;
    const std::size_t first = limit == 0 ? all.size() : std::min(limit, all.size());
    options.sliceSize = first;
    options.stop = stop;
    options.allOrNothing = true;
    StoreWhenComplete sink(all);
    const ReadEnd end = ReadInSlices(client.get(), all, builder, options, sink);
    const int result = sink.Finish(end == ReadEnd::kComplete);
    // Later reads of this session start at a size the server took.
    if (result == 0 && options.sliceSize < first)
        maxNodesPerRead = static_cast<std::uint32_t>(options.sliceSize);
    return result;
}
