#include "export/xls/xls_cell.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "export/xls/cell_text_store.h"

XlsCell::~XlsCell() { Clear(); }

XlsCell::XlsCell(const XlsCell& other) : xfIndex_(other.xfIndex_) {
    if (other.kind_ == CellKind::WString) {
        Assign(CellKind::WString, other.WText().data(), other.length_);
    } else {
        Assign(CellKind::String, other.Text().data(), other.length_);
    }
}

XlsCell& XlsCell::operator=(const XlsCell& other) {
    if (this != &other) {
        if (other.kind_ == CellKind::WString) {
            Assign(CellKind::WString, other.WText().data(), other.length_);
        } else {
            Assign(CellKind::String, other.Text().data(), other.length_);
        }
        xfIndex_ = other.xfIndex_;
    }
    return *this;
}

XlsCell::XlsCell(XlsCell&& other) : xfIndex_(other.xfIndex_) { *this = std::move(other); }

XlsCell& XlsCell::operator=(XlsCell&& other) {
    if (this == &other) return *this;
    if (other.inStore_) {  // the store may go before this cell: copy the text out of it
        *this = static_cast<const XlsCell&>(other);
        other.Clear();
    } else {
        TakeText(other);
        xfIndex_ = other.xfIndex_;
    }
    return *this;
}

void XlsCell::SetString(const char* text) {
    Assign(CellKind::String, text, text == nullptr ? 0 : std::strlen(text));
}

void XlsCell::SetWString(const char16_t* text) {
    Assign(CellKind::WString, text, text == nullptr ? 0 : std::char_traits<char16_t>::length(text));
}

std::string_view XlsCell::Text() const {
    if (kind_ != CellKind::String) return {};
    return {External() ? storage_.externalNarrow : storage_.narrow, length_};
}

std::u16string_view XlsCell::WText() const {
    if (kind_ != CellKind::WString) return {};
    return {External() ? storage_.externalWide : storage_.wide, length_};
}

void XlsCell::Relocate(XlsCell& from, XlsCell* to) noexcept {
    XlsCell* moved = ::new (to) XlsCell(from.store_);
    moved->storage_ = from.storage_;
    moved->length_ = std::exchange(from.length_, 0);
    moved->xfIndex_ = from.xfIndex_;
    moved->kind_ = std::exchange(from.kind_, CellKind::Undefined);
    moved->inStore_ = std::exchange(from.inStore_, false);
}

void XlsCell::Clear() {
    if (OwnsHeapText()) {
        if (kind_ == CellKind::WString) {
            ::operator delete[](storage_.externalWide);
        } else {
            ::operator delete[](storage_.externalNarrow);
        }
    }
    length_ = 0;
    kind_ = CellKind::Undefined;
    inStore_ = false;
}

void XlsCell::TakeText(XlsCell& other) noexcept {
    Clear();
    storage_ = other.storage_;
    length_ = std::exchange(other.length_, 0);
    kind_ = std::exchange(other.kind_, CellKind::Undefined);
    inStore_ = std::exchange(other.inStore_, false);
}

void* XlsCell::AllocateText(std::size_t bytes) {
    if (store_ != nullptr) return store_->Allocate(bytes);
    return ::operator new[](bytes);
}

// Builds the new text beside the old one, so that a failed allocation or a text taken from this
// very cell leaves nothing half done.
void XlsCell::Assign(CellKind kind, const void* units, std::size_t length) {
    if (length > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("cell text");
    const std::size_t bytes = length * (kind == CellKind::WString ? 2 : 1);
    XlsCell fresh(store_);
    if (bytes > kInlineBytes) {
        void* text = AllocateText(bytes);
        std::memcpy(text, units, bytes);
        if (kind == CellKind::WString) {
            fresh.storage_.externalWide = static_cast<char16_t*>(text);
        } else {
            fresh.storage_.externalNarrow = static_cast<char*>(text);
        }
        fresh.inStore_ = store_ != nullptr;
    } else if (kind == CellKind::WString) {
        const auto* source = static_cast<const char16_t*>(units);
        for (std::size_t i = 0; i < length; ++i) fresh.storage_.wide[i] = source[i];
    } else {
        const auto* source = static_cast<const char*>(units);
        for (std::size_t i = 0; i < length; ++i) fresh.storage_.narrow[i] = source[i];
    }
    if (length > 0) {
        fresh.length_ = static_cast<std::uint32_t>(length);
        fresh.kind_ = kind;
    }
    TakeText(fresh);
}
