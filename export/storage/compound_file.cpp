#include "export/storage/compound_file.h"

#include <algorithm>
#include <cstring>

#include "export/storage/directory.h"
#include "export/storage/sector_plan.h"
#include "export/util/little_endian.h"
#include "export/util/utf_convert.h"

namespace cfb {
namespace {

void PutIds(std::uint8_t* out, const std::vector<std::uint32_t>& ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) le::PutU32(out + 4 * i, ids[i]);
}

}  // namespace

bool Stream::Write(std::span<const std::uint8_t> bytes) {
    return file_->WriteStream(index_, bytes);
}

std::unique_ptr<CompoundFile> CompoundFile::Create(const std::u16string& path) {
    if (path.find(u'\0') != std::u16string::npos) return nullptr;
    return CreateIn(ReplacingFile::Begin(Utf16ToUtf8(path)));
}

std::unique_ptr<CompoundFile> CompoundFile::CreateIn(ReplacingFile file) {
    if (!file.IsOpen()) return nullptr;
    std::unique_ptr<CompoundFile> compound(new CompoundFile(std::move(file)));
    if (!compound->Commit()) return nullptr;
    return compound;
}

CompoundFile::~CompoundFile() {
    if (file_.IsOpen()) Finish();
}

bool CompoundFile::Finish() { return file_.Commit(); }

void CompoundFile::Discard() { file_ = ReplacingFile(); }

bool CompoundFile::CreateStream(std::u16string_view name) {
    if (!IsValidStreamName(name)) return false;
    const auto existing = std::find_if(streams_.begin(), streams_.end(), [&](const auto& s) {
        return CompareNames(s.name, name) == 0;
    });
    if (existing != streams_.end()) {
        ReleaseSectors(*existing);
    } else {
        streams_.push_back(StreamState{std::u16string(name), 0, {}, {}});
    }
    return Commit();
}

std::optional<Stream> CompoundFile::OpenStream(std::u16string_view name) {
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        if (CompareNames(streams_[i].name, name) == 0) return Stream(*this, i);
    }
    return std::nullopt;
}

void CompoundFile::ReleaseSectors(StreamState& stream) {
    stream.size = 0;
    stream.smallData.clear();
    stream.smallData.shrink_to_fit();
    stream.run = {};
    // The data region ends after the last run still in use; holes before it stay free sectors.
    dataSectors_ = 0;
    for (const StreamState& s : streams_) {
        dataSectors_ = std::max(dataSectors_, s.run.start + s.run.count);
    }
}

bool CompoundFile::WriteStream(std::size_t index, std::span<const std::uint8_t> bytes) {
    StreamState& stream = streams_[index];
    ReleaseSectors(stream);
    if (bytes.size() < kMiniStreamCutoff) {
        stream.smallData.assign(bytes.begin(), bytes.end());
    } else {
        const std::uint64_t sectors = (bytes.size() + kSectorSize - 1) / kSectorSize;
        if (dataSectors_ + sectors > kMaxRegularSector) return false;
        const SectorRun run{dataSectors_, static_cast<std::uint32_t>(sectors)};
        if (!file_.WriteAt(SectorOffset(run.start), bytes.data(), bytes.size())) return false;
        static constexpr std::uint8_t kZeros[kSectorSize] = {};
        const std::size_t padding = sectors * kSectorSize - bytes.size();
        if (padding > 0 &&
            !file_.WriteAt(SectorOffset(run.start) + bytes.size(), kZeros, padding)) {
            return false;
        }
        stream.run = run;
        dataSectors_ += run.count;
    }
    stream.size = bytes.size();
    return Commit();
}

// Writes everything but the large streams' data: the plan first, then the mini stream, mini
// FAT, directory, FAT and DIFAT after the data region, the header last.
bool CompoundFile::Commit() {
    std::vector<StreamEntry> entries;
    std::vector<SectorRun> runs;
    std::vector<std::uint32_t> miniSectorCounts;
    std::uint32_t miniSectors = 0;
    for (const StreamState& stream : streams_) {
        if (stream.size < kMiniStreamCutoff) {
            const std::uint32_t count = CeilDiv(stream.size, kMiniSectorSize);
            entries.push_back({stream.name, count > 0 ? miniSectors : kEndOfChain, stream.size});
            miniSectorCounts.push_back(count);
            miniSectors += count;
        } else {
            entries.push_back({stream.name, stream.run.start, stream.size});
            runs.push_back(stream.run);
        }
    }
    const auto plan =
        PlanSectors(dataSectors_, miniSectors, static_cast<std::uint32_t>(streams_.size() + 1));
    if (!plan) return false;

    std::vector<std::uint8_t> tables(std::size_t{plan->TablesSectors()} * kSectorSize, 0);
    auto at = [&](std::uint32_t sector) {
        return tables.data() + std::size_t{sector - plan->TablesStart()} * kSectorSize;
    };
    if (plan->miniStreamSectors > 0) {
        std::uint8_t* miniStream = at(plan->miniStreamStart);
        for (std::size_t i = 0; i < streams_.size(); ++i) {
            const auto& data = streams_[i].smallData;
            if (!data.empty()) {
                std::memcpy(miniStream + std::size_t{entries[i].startSector} * kMiniSectorSize,
                            data.data(), data.size());
            }
        }
    }
    if (plan->miniFatSectors > 0) {
        PutIds(at(plan->miniFatStart), BuildMiniFat(*plan, miniSectorCounts));
    }
    const auto directory = EncodeDirectory(plan->miniStreamStart,
                                           std::uint64_t{miniSectors} * kMiniSectorSize, entries);
    std::memcpy(at(plan->directoryStart), directory.data(), directory.size());
    PutIds(at(plan->fatStart), BuildFat(*plan, runs));
    if (plan->difatSectors > 0) PutIds(at(plan->difatStart), BuildDifatSectors(*plan));

    const auto header = EncodeHeader(*plan);
    return file_.WriteAt(SectorOffset(plan->TablesStart()), tables.data(), tables.size()) &&
           file_.WriteAt(0, header.data(), header.size()) &&
           file_.Truncate(SectorOffset(plan->totalSectors));
}

}  // namespace cfb
