#include "export/xls/records/string_interner.h"

#include <cstring>

namespace xls {
namespace {

std::uint64_t Load(const unsigned char* bytes, std::size_t size) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, size);
    return value;
}

// 8 bytes per step, then a final mix; good enough to spread texts that differ in a digit.
std::uint32_t HashText(const void* data, std::size_t size, bool wide) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t hash = (size * kMultiplier) ^ (wide ? 0x5BD1E995ull : 0);
    for (; size >= 8; bytes += 8, size -= 8) {
        hash = (hash ^ Load(bytes, 8)) * kMultiplier;
        hash ^= hash >> 29;
    }
    hash = (hash ^ Load(bytes, size)) * kMultiplier;
    hash ^= hash >> 32;
    hash *= 0xD6E8FEB86659FD93ull;
    hash ^= hash >> 32;
    return static_cast<std::uint32_t>(hash);
}

}  // namespace

StringInterner::StringInterner(SharedStringTable& table, std::size_t expectedTexts)
    : table_(table) {
    std::size_t slots = 1024;
    while (slots < 2 * expectedTexts) slots *= 2;
    Allocate(slots);
}

std::uint32_t StringInterner::Hash(std::string_view bytes) {
    return HashText(bytes.data(), bytes.size(), false);
}

std::uint32_t StringInterner::Hash(std::u16string_view units) {
    return HashText(units.data(), 2 * units.size(), true);
}

std::uint32_t StringInterner::Intern(std::string_view bytes, std::uint32_t hash) {
    return Intern(bytes.data(), bytes.size(), false, hash);
}

std::uint32_t StringInterner::Intern(std::u16string_view units, std::uint32_t hash) {
    return Intern(units.data(), units.size(), true, hash);
}

void StringInterner::Prefetch(std::uint32_t hash) const {
    __builtin_prefetch(slots_.data() + (hash & (slotCount_ - 1)) * sizeof(Slot));
}

std::uint32_t StringInterner::Intern(const void* chars, std::size_t count, bool wide,
                                     std::uint32_t hash) {
    table_.CountUse();
    if (2 * (std::size_t{table_.UniqueCount()} + 1) > slotCount_) Allocate(2 * slotCount_);
    const std::size_t bytes = wide ? 2 * count : count;
    const std::size_t mask = slotCount_ - 1;
    Slot* slots = Slots();
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots[i];
        if (slot.indexPlusOne == 0) {
            const std::uint32_t index =
                wide ? table_.Add({static_cast<const char16_t*>(chars), count})
                     : table_.Add({static_cast<const char*>(chars), count});
            slot = {index + 1, hash};
            return index;
        }
        if (slot.hash != hash) continue;
        const auto entry = table_.Entry(slot.indexPlusOne - 1);
        if (entry.wide == wide && entry.count == count &&
            std::memcmp(entry.chars, chars, bytes) == 0) {
            return slot.indexPlusOne - 1;
        }
    }
}

// Moves the used slots into a fresh table of `slotCount` slots.
void StringInterner::Allocate(std::size_t slotCount) {
    PageBuffer old = std::move(slots_);
    const Slot* oldSlots = reinterpret_cast<const Slot*>(old.data());
    const std::size_t oldCount = slotCount_;
    slots_ = PageBuffer(slotCount * sizeof(Slot));
    slotCount_ = slotCount;
    Slot* slots = Slots();
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t n = 0; n < oldCount; ++n) {
        if (oldSlots[n].indexPlusOne == 0) continue;
        std::size_t i = oldSlots[n].hash & mask;
        while (slots[i].indexPlusOne != 0) i = (i + 1) & mask;
        slots[i] = oldSlots[n];
    }
}

}  // namespace xls
