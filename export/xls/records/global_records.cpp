#include "export/xls/records/global_records.h"

namespace xls {

void Window1::WritePayload(RecordWriter& out) const {
    out.U16(0x0078);  // horizontal position, in twips
    out.U16(0x0078);  // vertical position
    out.U16(0x3B1F);  // width
    out.U16(0x2454);  // height
    out.U16(0x0038);  // both scroll bars and the sheet tabs shown
    out.U16(0);       // active sheet
    out.U16(0);       // first visible tab
    out.U16(1);       // selected tabs
    out.U16(0x0258);  // tab bar width, in 1/1000 of the window
}

void Font::WritePayload(RecordWriter& out) const {
    out.U16(200);     // height in twentieths of a point
    out.U16(0);       // options
    out.U16(0x7FFF);  // automatic colour
    out.U16(400);     // normal weight
    out.U16(0);       // escapement
    out.U8(0);        // underline
    out.U8(0);        // family
    out.U8(0);        // character set
    out.U8(0);        // reserved
    out.U8(static_cast<std::uint8_t>(name_.size()));
    out.U8(0x01);  // name in UTF-16
    out.Utf16(name_);
}

void XF::WritePayload(RecordWriter& out) const {
    out.U16(0);       // font
    out.U16(0);       // number format
    out.U16(0xFFF5);  // locked style XF, no parent
    out.U8(0x20);     // bottom aligned
    out.U8(0);        // rotation
    out.U8(0);        // indent
    out.U8(0);        // used attributes
    out.U32(0);       // border lines
    out.U32(0);       // border colours and fill pattern
    out.U16(0x20C0);  // pattern colour 64, background 65
}

void Style::WritePayload(RecordWriter& out) const {
    out.U16(0x8000);  // built-in style for XF 0
    out.U8(0);        // "Normal"
    out.U8(0xFF);     // no outline level
}

void BoundSheet::WritePayload(RecordWriter& out) const {
    out.U32(position_);
    out.U8(0);  // visible
    out.U8(0);  // worksheet
    out.U8(static_cast<std::uint8_t>(name_.size()));
    out.U8(0x00);  // 8-bit characters
    out.Bytes(reinterpret_cast<const std::uint8_t*>(name_.data()), name_.size());
}

}  // namespace xls
