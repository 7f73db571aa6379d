#include "engine/walk_read.h"

#include <algorithm>
#include <boost/thread/thread.hpp>

#include "engine/read_results.h"

namespace {

// Each slice is stored as soon as it is answered, with its own time.
class StoreAtOnce : public SliceSink {
public:
    explicit StoreAtOnce(std::span<OPCUAItemData* const> records) : records_(records) {}

    void Answered(std::size_t offset, std::size_t count, UaAnyResponse& response,
                  const std::string& timeText) override {
        StoreWalkReadResults(records_.subspan(offset, count), response.As<UA_ReadResponse>(),
                             timeText);
    }
    void Failed(std::size_t offset, std::size_t count, const std::string& timeText) override {
        MarkReadFailed(records_.subspan(offset, count), timeText);
    }

private:
    std::span<OPCUAItemData* const> records_;
};

}  // namespace

ReadEnd ReadWalkValues(UA_Client* client, std::span<OPCUAItemData* const> records,
                       std::size_t maxNodesPerRead, BrowseStats& stats) {
    // The server's limit counts attributes read, several to a point.
    const std::size_t nodes = maxNodesPerRead ? maxNodesPerRead : kDefaultNodesPerRead;
    ReadRequestBuilder builder(kWalkAttributes);
    SliceReadOptions options;
    options.sliceSize = std::max<std::size_t>(1, nodes / builder.AttributesPerNode());
    options.stop = [] { return boost::this_thread::interruption_requested(); };
    options.stats = &stats;
    StoreAtOnce sink(records);
    return ReadInSlices(client, records, builder, options, sink);
}
