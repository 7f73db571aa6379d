#include "ui/cell_text.h"

#include "engine/node_id_text.h"

std::string CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = maxBytes;
    // Step back over continuation bytes so the cut lands before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

const std::string& RecordText(const OPCUAItemData& r, int column) {
    static const std::string none;
    switch (column) {
        case kNameColumn:
            return r.displayName;
        case kValueColumn:
            return r.value;
        case kQualityColumn:
            return r.quality;
        case kTimeColumn:
            return r.time;
        case kDataTypeColumn:
            return r.dataType;
        case kPathColumn:
            return r.Path();
        default:
            return none;
    }
}

std::string WholeCellText(const OPCUAItemData& r, std::size_t row, int column) {
    switch (column) {
        case kIdColumn:
            return std::to_string(row + 1);
        case kAddressColumn:
            return NodeIdToText(r.nodeId);
        default:
            return RecordText(r, column);
    }
}

std::string CellText(const OPCUAItemData& r, std::size_t row, int column) {
    return CutUtf8(WholeCellText(r, row, column), kCellTextMax);
}

// Whole: a cut identifier on the clipboard names another node, or none.
std::string CopyText(const OPCUAItemData& r) { return NodeIdToText(r.nodeId); }
