#include "ui/write_caption.h"

#include "engine/node_id_text.h"
#include "texts/text_table.h"
#include "ui/cell_text.h"

namespace {

constexpr std::size_t kBracketMax = 511;

std::string BracketedId(const UA_NodeId& id) {
    switch (id.identifierType) {
        case UA_NODEIDTYPE_NUMERIC:
        case UA_NODEIDTYPE_STRING:
        case UA_NODEIDTYPE_GUID:
        case UA_NODEIDTYPE_BYTESTRING:
            break;
        default:
            return {};
    }
    std::string text = "[" + NodeIdToText(id) + "]";
    if (text.size() <= kBracketMax) return text;
    static constexpr char kTail[] = "...]";
    return CutUtf8(text, kBracketMax - (sizeof kTail - 1)) + kTail;
}

}  // namespace

std::string WriteDialogCaption(const UA_NodeId& nodeId) {
    return Text(TextKey::NodeIdLabel) + BracketedId(nodeId);
}
