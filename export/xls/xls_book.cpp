#include "export/xls/xls_book.h"

#include <cassert>

namespace {

constexpr char16_t kStreamName[] = u"Workbook";

}  // namespace

void XlsBook::New() {
    workbook_ = xls::Workbook::ForNewBook(1);
    worksheets_.clear();
    sheets_.clear();
    sheets_.push_back(std::make_unique<XlsSheet>(0));
}

XlsSheet* XlsBook::GetSheet(std::size_t index) {
    return index < sheets_.size() ? sheets_[index].get() : nullptr;
}

bool XlsBook::SaveAs(const std::u16string& path) {
    Close();
    path_ = path;
    if (Save()) return true;
    Close();
    return false;
}

bool XlsBook::SaveInto(ReplacingFile target) {
    Close();
    const auto bytes = BuildStream();
    if (!bytes) return false;
    return WriteStream(cfb::CompoundFile::CreateIn(std::move(target)), bytes->bytes());
}

bool XlsBook::Save() {
    if (!path_) return false;
    const auto bytes = BuildStream();
    if (!bytes) return false;
    return WriteStream(cfb::CompoundFile::Create(*path_), bytes->bytes());
}

bool XlsBook::WriteStream(std::unique_ptr<cfb::CompoundFile> file,
                          std::span<const std::uint8_t> bytes) {
    if (!file) return false;
    std::optional<cfb::Stream> stream;
    if (file->CreateStream(kStreamName)) stream = file->OpenStream(kStreamName);
    if (!stream || !stream->Write(bytes)) {
        file->Discard();
        return false;
    }
    return file->Finish();
}

void XlsBook::Close() { path_.reset(); }

bool XlsBook::Rebuild() {
    workbook_.Sst().Clear();
    worksheets_.clear();
    std::size_t textCells = 0;
    for (const auto& grid : sheets_) {
        for (std::size_t row = 0; row < grid->RowCount(); ++row) {
            for (std::size_t column = 0; column < grid->ColumnCount(); ++column) {
                textCells += grid->At(row, column).Kind() != CellKind::Undefined;
            }
        }
    }
    workbook_.Sst().Reserve(textCells);
    xls::StringInterner interner(workbook_.Sst(), textCells);
    for (const auto& grid : sheets_) {
        auto sheet = xls::Worksheet::FromGrid(*grid, interner);
        if (!sheet) return false;
        worksheets_.push_back(std::move(*sheet));
    }
    return true;
}

std::optional<PageBuffer> XlsBook::BuildStream() {
    std::optional<PageBuffer> result;
    if (Rebuild()) {
        std::size_t position = workbook_.TotalSize();
        auto& entries = workbook_.BoundSheets();
        for (std::size_t i = 0; i < worksheets_.size(); ++i) {
            if (i < entries.size()) entries[i].SetPosition(static_cast<std::uint32_t>(position));
            worksheets_[i].SetPosition(static_cast<std::uint32_t>(position));
            position += worksheets_[i].TotalSize();
        }

        result.emplace(position);  // zero-filled
        std::uint8_t* out = result->data();
        std::size_t written = workbook_.Write(out);
        for (const auto& sheet : worksheets_) written += sheet.Write(out + written);
        assert(written == result->size());
    }
    // The rebuilt records borrow the grids' texts; drop them now rather than keep them dangling.
    workbook_.Sst().Clear();
    worksheets_.clear();
    return result;
}
