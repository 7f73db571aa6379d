// Writes sample files for the interoperability checks, which read them back with independent
// readers:
//   export_sample_writer stream <out.cfb> (<stream name> <data file>)...
//     a compound file with these streams, created and written in this order;
//   export_sample_writer book <description> <out.xls> <stream dump>
//     a workbook from a cell description, saved with SaveAs, plus the bytes of its "Workbook"
//     stream as built. Each description line is "<row> <column> <kind> [<hex>]": kind n sets
//     8-bit text, w UTF-16LE text, u only reaches the cell; no hex means an empty text.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "export/storage/compound_file.h"
#include "export/util/utf_convert.h"
#include "export/xls/xls_book.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

int WriteStreams(int argc, char** argv) {
    auto file = cfb::CompoundFile::Create(Utf8ToUtf16(argv[2]));
    if (!file) return 1;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::u16string name = Utf8ToUtf16(argv[i]);
        if (!file->CreateStream(name)) return 1;
        auto stream = file->OpenStream(name);
        if (!stream || !stream->Write(ReadFile(argv[i + 1]))) return 1;
    }
    return 0;
}

int WriteBook(char** argv) {
    XlsBook book;
    book.New();
    XlsSheet* sheet = book.GetSheet(0);
    std::ifstream description(argv[2]);
    std::string line;
    while (std::getline(description, line)) {
        std::istringstream fields(line);
        std::uint32_t row = 0, column = 0;
        std::string kind, hex;
        fields >> row >> column >> kind >> hex;
        XlsCell* cell = sheet->Cell(row, column);
        if (cell == nullptr) return 2;
        const auto bytes = FromHex(hex);
        if (kind == "n") {
            cell->SetString(std::string(bytes.begin(), bytes.end()).c_str());
        } else if (kind == "w") {
            std::u16string units;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
            }
            cell->SetWString(units.c_str());
        }
    }
    const auto stream = book.BuildStream();
    if (!stream || !WriteFile(argv[4], stream->bytes())) return 1;
    return book.SaveAs(Utf8ToUtf16(argv[3])) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "stream" && argc >= 3 && argc % 2 == 1) return WriteStreams(argc, argv);
    if (mode == "book" && argc == 5) return WriteBook(argv);
    std::cerr << "usage: export_sample_writer stream <out> (<name> <data>)... | "
                 "book <description> <out.xls> <stream dump>\n";
    return 64;
}
