#include "engine/read_request.h"

ReadRequestBuilder::ReadRequestBuilder(std::initializer_list<UA_UInt32> attributes)
    : attributes_(attributes) {
    UA_ReadRequest_init(&request_);
}

ReadRequestBuilder::ReadRequestBuilder(std::span<const UA_UInt32> attributes)
    : attributes_(attributes.begin(), attributes.end()) {
    UA_ReadRequest_init(&request_);
}

template <class NodeOf>
const UA_ReadRequest& ReadRequestBuilder::BuildWith(std::size_t nodes, NodeOf nodeOf) {
    ids_.resize(nodes * attributes_.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < nodes; ++i) {
        const UA_NodeId& node = nodeOf(i);
        for (const UA_UInt32 attribute : attributes_) {
            UA_ReadValueId& id = ids_[k++];
            UA_ReadValueId_init(&id);
            id.nodeId = node;
            id.attributeId = attribute;
        }
    }
    // maxAge 0 and source timestamps: the zero defaults.
    UA_ReadRequest_init(&request_);
    request_.nodesToRead = ids_.data();
    request_.nodesToReadSize = ids_.size();
    return request_;
}

const UA_ReadRequest& ReadRequestBuilder::Build(std::span<OPCUAItemData* const> records) {
    return BuildWith(records.size(),
                     [&](std::size_t i) -> const UA_NodeId& { return records[i]->nodeId; });
}

const UA_ReadRequest& ReadRequestBuilder::Build(std::span<const UA_NodeId> nodes) {
    return BuildWith(nodes.size(), [&](std::size_t i) -> const UA_NodeId& { return nodes[i]; });
}
