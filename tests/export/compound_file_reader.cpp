#include "compound_file_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "export/util/little_endian.h"

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::size_t kSector = 512;
constexpr std::size_t kMiniSector = 64;

}  // namespace

CompoundFileReader CompoundFileReader::FromPath(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return CompoundFileReader(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

CompoundFileReader::CompoundFileReader(std::vector<std::uint8_t> file) : file_(std::move(file)) {
    if (file_.size() < kSector || file_.size() % kSector != 0) {
        ADD_FAILURE() << "file size " << file_.size() << " is not a whole number of sectors";
        return;
    }
    std::vector<std::uint32_t> fatSectors;
    for (std::uint32_t i = 0; i < 109 && fatSectors.size() < FatSectors(); ++i) {
        fatSectors.push_back(HeaderU32(76 + 4 * i));
    }
    std::uint32_t difat = DifatStart();
    for (std::uint32_t n = 0; n < DifatSectors(); ++n) {
        const std::uint8_t* sector = Sector(difat);
        if (sector == nullptr) return;
        for (std::size_t i = 0; i < 127 && fatSectors.size() < FatSectors(); ++i) {
            fatSectors.push_back(le::GetU32(sector + 4 * i));
        }
        difat = le::GetU32(sector + 4 * 127);
    }
    EXPECT_EQ(difat, DifatSectors() == 0 ? DifatStart() : kEndOfChain) << "DIFAT chain end";
    for (std::uint32_t s : fatSectors) {
        const std::uint8_t* sector = Sector(s);
        if (sector == nullptr) return;
        for (std::size_t i = 0; i < kSector / 4; ++i) fat_.push_back(le::GetU32(sector + 4 * i));
    }
    for (std::uint32_t s : Chain(DirectoryStart())) {
        const std::uint8_t* sector = Sector(s);
        for (std::size_t i = 0; i < kSector / 128; ++i) {
            const std::uint8_t* raw = sector + 128 * i;
            Entry entry;
            const std::size_t nameBytes = le::GetU16(raw + 64);
            for (std::size_t c = 0; c + 2 < nameBytes; c += 2) {
                entry.name.push_back(static_cast<char16_t>(le::GetU16(raw + c)));
            }
            entry.type = raw[66];
            entry.colour = raw[67];
            entry.left = le::GetU32(raw + 68);
            entry.right = le::GetU32(raw + 72);
            entry.child = le::GetU32(raw + 76);
            entry.start = le::GetU32(raw + 116);
            entry.size = le::GetU32(raw + 120) | (std::uint64_t{le::GetU32(raw + 124)} << 32);
            entries_.push_back(entry);
        }
    }
    if (MiniFatStart() != kEndOfChain) {
        for (std::uint32_t s : Chain(MiniFatStart())) {
            for (std::size_t i = 0; i < kSector / 4; ++i) {
                miniFat_.push_back(le::GetU32(Sector(s) + 4 * i));
            }
        }
    }
    if (!entries_.empty() && entries_[0].start != kEndOfChain) {
        for (std::uint32_t s : Chain(entries_[0].start)) {
            miniStream_.insert(miniStream_.end(), Sector(s), Sector(s) + kSector);
        }
    }
}

std::uint32_t CompoundFileReader::HeaderU32(std::size_t offset) const {
    return le::GetU32(file_.data() + offset);
}

std::uint16_t CompoundFileReader::HeaderU16(std::size_t offset) const {
    return le::GetU16(file_.data() + offset);
}

const std::uint8_t* CompoundFileReader::Sector(std::uint32_t sector) const {
    if ((std::size_t{sector} + 2) * kSector > file_.size()) {
        ADD_FAILURE() << "sector " << sector << " lies beyond the end of the file";
        return nullptr;
    }
    return file_.data() + (std::size_t{sector} + 1) * kSector;
}

std::vector<std::uint32_t> CompoundFileReader::Chain(std::uint32_t start) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t s = start; s != kEndOfChain; s = fat_[s]) {
        if (s >= fat_.size() || chain.size() > fat_.size()) {
            ADD_FAILURE() << "broken FAT chain from " << start << " at " << s;
            return {};
        }
        chain.push_back(s);
    }
    return chain;
}

std::vector<std::uint8_t> CompoundFileReader::ReadStream(const std::u16string& name) const {
    for (const Entry& entry : entries_) {
        if (entry.type != 2 || entry.name != name) continue;
        std::vector<std::uint8_t> bytes;
        if (entry.size == 0) {
            EXPECT_EQ(entry.start, kEndOfChain) << "an empty stream owns no sectors";
            return bytes;
        }
        if (entry.size < 4096) {
            std::size_t links = 0;
            for (std::uint32_t m = entry.start; m != kEndOfChain; m = miniFat_[m]) {
                if (m >= miniFat_.size() || ++links > miniFat_.size() ||
                    (m + 1) * kMiniSector > miniStream_.size()) {
                    ADD_FAILURE() << "broken mini FAT chain at " << m;
                    return {};
                }
                bytes.insert(bytes.end(), miniStream_.begin() + m * kMiniSector,
                             miniStream_.begin() + (m + 1) * kMiniSector);
            }
            EXPECT_EQ(links, (entry.size + kMiniSector - 1) / kMiniSector);
        } else {
            const auto chain = Chain(entry.start);
            for (std::uint32_t s : chain) bytes.insert(bytes.end(), Sector(s), Sector(s) + kSector);
            EXPECT_EQ(chain.size(), (entry.size + kSector - 1) / kSector);
        }
        bytes.resize(std::min<std::size_t>(bytes.size(), entry.size));
        return bytes;
    }
    ADD_FAILURE() << "no stream of that name";
    return {};
}
