#include <cstdio>
#include <vector>

#include "tools/demo-server/address_space_builder.h"
#include "tools/demo-server/demo_nodes.h"

namespace {

// Objects below the top level hold this many objects each, as a plant's areas hold units.
constexpr std::size_t kFanOut = 10;

// Objects of level `level` (1 = right below Generated) that hold the leaf object `leaf`.
std::size_t AncestorIndex(std::size_t leaf, std::size_t level, std::size_t depth) {
    for (std::size_t d = depth; d > level; --d) leaf /= kFanOut;
    return leaf;
}

}  // namespace

void BuildGeneratedPoints(AddressSpaceBuilder& b, UA_UInt16 ns, const GeneratedShape& shape) {
    if (shape.points == 0) return;
    const UA_NodeId objects = UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER);
    const UA_NodeId root =
        b.Object(objects, UA_NODEID_STRING(ns, const_cast<char*>("Generated")), "Generated");
    // The object made last on each level, and which one it is; a point's ancestors change
    // only when its leaf does, so they are made in order as the points are.
    std::vector<UA_NodeId> current(shape.depth + 1, root);
    std::vector<std::size_t> index(shape.depth + 1, static_cast<std::size_t>(-1));
    UA_UInt32 nextObject = demo::kGeneratedObjectBase;
    char name[64];
    for (std::size_t k = 0; k < shape.points && b.ok(); ++k) {
        const std::size_t leaf = k / shape.pointsPerFolder;
        for (std::size_t level = 1; level <= shape.depth; ++level) {
            const std::size_t at = AncestorIndex(leaf, level, shape.depth);
            if (at == index[level]) continue;
            index[level] = at;
            if (level == shape.depth) {
                std::snprintf(name, sizeof name, "Block%05zu", at);
            } else {
                std::snprintf(name, sizeof name, "Group%zu_%04zu", level, at);
            }
            current[level] =
                b.Object(current[level - 1], UA_NODEID_NUMERIC(ns, nextObject++), name);
        }
        std::snprintf(name, sizeof name, "P%07zu", k);
        UA_Int32 value = static_cast<UA_Int32>(k);
        UA_Variant v;
        UA_Variant_setScalar(&v, &value, &UA_TYPES[UA_TYPES_INT32]);
        b.Variable(current[shape.depth],
                   UA_NODEID_NUMERIC(ns, static_cast<UA_UInt32>(demo::kGeneratedBase + k)), name, v,
                   true);
    }
}
