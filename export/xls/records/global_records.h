#pragma once

#include <string>

#include "export/xls/records/record.h"

// The workbook-global records other than BOF, EOF and the shared string table.
namespace xls {

// Window position and size, and which sheet tabs are shown and selected.
class Window1 final : public Record {
public:
    static constexpr std::uint16_t kType = 0x003D;

    Window1() : Record(kType) {}
    std::size_t PayloadSize() const override { return 18; }

protected:
    void WritePayload(RecordWriter& out) const override;
};

// The one font every XF refers to: 10-point Arial.
class Font final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0031;

    Font() : Record(kType) {}
    std::size_t PayloadSize() const override { return 16 + 2 * name_.size(); }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::u16string name_ = u"Arial";
};

// A cell format. Every XF this writer makes is the same default style XF.
class XF final : public Record {
public:
    static constexpr std::uint16_t kType = 0x00E0;

    XF() : Record(kType) {}
    std::size_t PayloadSize() const override { return 20; }

protected:
    void WritePayload(RecordWriter& out) const override;
};

// A built-in cell style ("Normal") bound to XF 0.
class Style final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0293;

    Style() : Record(kType) {}
    std::size_t PayloadSize() const override { return 4; }

protected:
    void WritePayload(RecordWriter& out) const override;
};

// Names a worksheet and gives the stream position of its BOF.
class BoundSheet final : public Record {
public:
    static constexpr std::uint16_t kType = 0x0085;

    BoundSheet() : Record(kType) {}
    std::size_t PayloadSize() const override { return 8 + name_.size(); }

    std::uint32_t Position() const { return position_; }
    void SetPosition(std::uint32_t position) { position_ = position; }
    const std::string& Name() const { return name_; }

protected:
    void WritePayload(RecordWriter& out) const override;

private:
    std::uint32_t position_ = 0;
    std::string name_ = "Sheet1";  // 8-bit characters
};

}  // namespace xls
