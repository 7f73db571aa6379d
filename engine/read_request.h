#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "engine/opcua_item_data.h"

// Builds the one kind of Read request the engine sends: several attributes of each of several
// nodes, node by node, so that result i * AttributesPerNode() + j answers attribute j of node i.
// The ids borrow the NodeIds, which must stay put until the request is sent (a send encodes it
// at once); nothing is copied per node and the request owns nothing to free.
class ReadRequestBuilder {
public:
    explicit ReadRequestBuilder(std::initializer_list<UA_UInt32> attributes = {
                                    UA_ATTRIBUTEID_VALUE});
    explicit ReadRequestBuilder(std::span<const UA_UInt32> attributes);

    std::size_t AttributesPerNode() const { return attributes_.size(); }

    // Valid until the next Build.
    const UA_ReadRequest& Build(std::span<OPCUAItemData* const> records);
    const UA_ReadRequest& Build(std::span<const UA_NodeId> nodes);

private:
    template <class NodeOf>
    const UA_ReadRequest& BuildWith(std::size_t nodes, NodeOf nodeOf);

    std::vector<UA_UInt32> attributes_;
    std::vector<UA_ReadValueId> ids_;
    UA_ReadRequest request_;
};
