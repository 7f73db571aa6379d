#include "engine/browse_references.h"

#include <cstring>
#include <string>
#include <utility>

#include "engine/browse_stats.h"
#include "engine/ua_text.h"

namespace {

bool IsServerName(const UA_String& name) {
    static constexpr char kServer[] = "Server";
    return name.length == sizeof kServer - 1 && std::memcmp(name.data, kServer, name.length) == 0;
}

}  // namespace

void TakeReferences(UA_BrowseResult& result, std::uint32_t object, std::vector<ChildNode>& children,
                    PointRecords& points, BrowseStats& stats) {
    for (std::size_t i = 0; i < result.referencesSize; ++i) {
        UA_ReferenceDescription& ref = result.references[i];
        // Only the local part of the target counts; a server index or namespace URI is ignored.
        UA_NodeId& target = ref.nodeId.nodeId;
        if (ref.nodeClass == UA_NODECLASS_VARIABLE) {
            if (points.Add(target, UaText(ref.displayName.text), object))
                stats.pointsFound.fetch_add(1, std::memory_order_relaxed);
        } else if (!IsServerName(ref.displayName.text)) {
            children.push_back({UaNodeId::Adopt(std::move(target)), UaText(ref.displayName.text)});
        }
    }
}
