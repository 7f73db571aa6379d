#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "engine/opcua_item_data.h"
#include "engine/read_request.h"
#include "engine/request_pipeline.h"

struct BrowseStats;

enum class ReadEnd { kComplete, kSessionLost, kInterrupted };

// Where the slices of a sliced read end up.
class SliceSink {
public:
    virtual ~SliceSink() = default;
    // The answer to the records at [offset, offset + count), its service result good.
    virtual void Answered(std::size_t offset, std::size_t count, UaAnyResponse& response,
                          const std::string& timeText) = 0;
    // Those records got no answer and will get none.
    virtual void Failed(std::size_t offset, std::size_t count, const std::string& timeText) = 0;
};

struct SliceReadOptions {
    std::size_t sliceSize = 0;  // nodes in one Read at most; 0: all in one
    // Asked between waits of at most kPollMs: true abandons what is on its way.
    std::function<bool()> stop;
    // A slice that fails for good fails the read: nothing more is sent or waited for.
    bool allOrNothing = false;
    BrowseStats* stats = nullptr;
};

// Reads `records` with `builder`'s attributes in slices, several on their way at once, and hands
// each slice to `sink`. A failed slice is dealt with by StepAfterFailure: shrunk (with the ones
// after it) when refused for its size, tried once more in halves after a timeout; a slice that
// fails otherwise fails every slice not yet read, which would fare no better. A lost session
// fails everything not yet answered and ends the read at once. Returns the size a slice ended
// at in `options.sliceSize`.
ReadEnd ReadInSlices(UA_Client* client, std::span<OPCUAItemData* const> records,
                     ReadRequestBuilder& builder, SliceReadOptions& options, SliceSink& sink);
