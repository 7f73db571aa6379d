#include "ui/cell_text.h"

#include "engine/node_id_text.h"

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = maxBytes;
    // Step back over continuation bytes so the cut lands before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

std::string CellText(const OPCUAItemData& r, std::size_t row, int column) {
    switch (column) {
    case 0: return std::to_string(row + 1);
    case 1: return CutUtf8(NodeIdToText(r.nodeId), kCellTextMax);
    case 2: return CutUtf8(r.displayName, kCellTextMax);
    case 3: return CutUtf8(r.value, kCellTextMax);
    case 4: return CutUtf8(r.quality, kCellTextMax);
    case 5: return CutUtf8(r.time, kCellTextMax);
    case 6: return CutUtf8(r.dataType, kCellTextMax);
    default: return {};
    }
}

// Whole: a cut identifier on the clipboard names another node, or none.
std::string CopyText(const OPCUAItemData& r) { return NodeIdToText(r.nodeId); }
