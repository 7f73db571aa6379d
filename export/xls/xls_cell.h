#pragma once

#include <cstdint>
#include <string_view>

class CellGrid;
class CellTextStore;

// What a cell holds. The numbers are those of the workbook model; the export makes only these
// three kinds, so numeric and formula cells are left out.
enum class CellKind : std::uint8_t { Undefined = 0, String = 3, WString = 4 };

// One cell of a sheet's grid. A full export holds almost half a million of them, so a cell is
// 32 bytes: texts of up to 16 bytes (8 UTF-16 code units) are kept inside it, longer ones in its
// sheet's text store, or on the heap for a cell outside any sheet.
class XlsCell {
public:
    XlsCell() noexcept = default;
    explicit XlsCell(CellTextStore* store) noexcept : store_(store) {}
    ~XlsCell();
    // A copy, or a cell moved out of a sheet, keeps its text on the heap.
    XlsCell(const XlsCell& other);
    XlsCell& operator=(const XlsCell& other);
    XlsCell(XlsCell&& other);
    XlsCell& operator=(XlsCell&& other);

    // An empty text makes the cell Undefined. Bytes are kept as given, without conversion.
    void SetString(const char* text);
    // An empty text makes the cell Undefined.
    void SetWString(const char16_t* text);

    CellKind Kind() const { return kind_; }
    // The 8-bit text of a String cell, empty for other kinds.
    std::string_view Text() const;
    // The UTF-16 text of a WString cell, empty for other kinds.
    std::u16string_view WText() const;

    std::uint16_t XfIndex() const { return xfIndex_; }
    void SetXfIndex(std::uint16_t index) { xfIndex_ = index; }

private:
    friend class CellGrid;
    static constexpr std::size_t kInlineBytes = 16;

    // Moves a cell to another place in the same grid, text store and all.
    static void Relocate(XlsCell& from, XlsCell* to) noexcept;

    bool External() const { return length_ * UnitSize() > kInlineBytes; }
    bool OwnsHeapText() const { return External() && !inStore_; }
    std::size_t UnitSize() const { return kind_ == CellKind::WString ? 2 : 1; }
    void Clear();
    void Assign(CellKind kind, const void* units, std::size_t length);
    void TakeText(XlsCell& other) noexcept;  // other's text must not live in a store
    void* AllocateText(std::size_t bytes);

    union Storage {
        char narrow[kInlineBytes];
        char16_t wide[kInlineBytes / 2];
        char* externalNarrow;
        char16_t* externalWide;
    } storage_{};
    std::uint32_t length_ = 0;  // in bytes or code units, as the kind says
    std::uint16_t xfIndex_ = 0;
    CellKind kind_ = CellKind::Undefined;
    bool inStore_ = false;  // an external text lives in store_, which frees it
    CellTextStore* store_ = nullptr;
};
