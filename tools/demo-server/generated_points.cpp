#include "tools/demo-server/address_space_builder.h"
#include "tools/demo-server/demo_nodes.h"

#include <cstdio>

namespace {
constexpr std::size_t kBlockSize = 1000;
constexpr std::size_t kBlocksPerGroup = 10;
}  // namespace

void BuildGeneratedPoints(AddressSpaceBuilder& b, UA_UInt16 ns, std::size_t count) {
    if (count == 0) return;
    const UA_NodeId objects = UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    UA_NodeId root = b.Object(objects, UA_NODEID_STRING(ns, const_cast<char*>("Generated")),
                              "Generated");
    UA_NodeId group = UA_NODEID_NULL;
    UA_NodeId block = UA_NODEID_NULL;
    char name[32];
    for (std::size_t k = 0; k < count && b.ok(); ++k) {
        const std::size_t blockNo = k / kBlockSize;
        if (k % kBlockSize == 0) {
            if (blockNo % kBlocksPerGroup == 0) {
                std::snprintf(name, sizeof name, "Group%03zu", blockNo / kBlocksPerGroup);
                group = b.Object(root, UA_NODEID_NUMERIC(ns, static_cast<UA_UInt32>(
                                                                 900000 + blockNo / kBlocksPerGroup)),
                                 name);
            }
            std::snprintf(name, sizeof name, "Block%04zu", blockNo);
            block = b.Object(group, UA_NODEID_NUMERIC(ns, static_cast<UA_UInt32>(800000 + blockNo)),
                             name);
        }
        std::snprintf(name, sizeof name, "P%07zu", k);
        UA_Int32 value = static_cast<UA_Int32>(k);
        UA_Variant v;
        UA_Variant_setScalar(&v, &value, &UA_TYPES[UA_TYPES_INT32]);
        b.Variable(block, UA_NODEID_NUMERIC(ns, static_cast<UA_UInt32>(demo::kGeneratedBase + k)),
                   name, v, true);
    }
}
