#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal compound file reader for the tests: header fields, allocation tables and the
// directory, and a stream's bytes by following its chain. It checks the chains as it goes, so a
// broken table fails the test instead of looping. (Independent readers check the files too.)
class CompoundFileReader {
public:
    struct Entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint8_t colour = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    explicit CompoundFileReader(std::vector<std::uint8_t> file);
    static CompoundFileReader FromPath(const std::string& path);

    std::size_t FileSize() const { return file_.size(); }
    std::uint32_t HeaderU32(std::size_t offset) const;
    std::uint16_t HeaderU16(std::size_t offset) const;
    std::uint32_t FatSectors() const { return HeaderU32(44); }
    std::uint32_t DirectoryStart() const { return HeaderU32(48); }
    std::uint32_t MiniFatStart() const { return HeaderU32(60); }
    std::uint32_t MiniFatSectors() const { return HeaderU32(64); }
    std::uint32_t DifatStart() const { return HeaderU32(68); }
    std::uint32_t DifatSectors() const { return HeaderU32(72); }

    const std::vector<std::uint32_t>& Fat() const { return fat_; }
    const std::vector<std::uint32_t>& MiniFat() const { return miniFat_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    // Sector numbers of a FAT chain; fails the running test on a loop or a bad link.
    std::vector<std::uint32_t> Chain(std::uint32_t start) const;
    // The bytes of the stream named `name`, from the mini stream or from regular sectors.
    std::vector<std::uint8_t> ReadStream(const std::u16string& name) const;

private:
    const std::uint8_t* Sector(std::uint32_t sector) const;

    std::vector<std::uint8_t> file_;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<Entry> entries_;
    std::vector<std::uint8_t> miniStream_;
};
