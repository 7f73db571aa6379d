#include "engine/object_paths.h"

#include <utility>

ObjectPaths::ObjectPaths() { entries_.push_back({kObjects, 0, {}}); }

std::uint32_t ObjectPaths::Add(std::uint32_t parent, std::string_view name) {
    if (parent >= entries_.size()) parent = kObjects;
    std::string path;
    if (parent != kObjects) {
        path.reserve(entries_[parent].path.size() + 1 + name.size());
        path = entries_[parent].path;
        path += '/';
    }
    const auto nameAt = static_cast<std::uint32_t>(path.size());
    path += name;
    entries_.push_back({parent, nameAt, std::move(path)});
    return static_cast<std::uint32_t>(entries_.size() - 1);
}

const std::string& ObjectPaths::PathOf(std::uint32_t object) const {
    return entries_[object < entries_.size() ? object : kObjects].path;
}

std::uint32_t ObjectPaths::ParentOf(std::uint32_t object) const {
    return object < entries_.size() ? entries_[object].parent : kObjects;
}

std::string_view ObjectPaths::NameOf(std::uint32_t object) const {
    if (object >= entries_.size()) return {};
    const Entry& e = entries_[object];
    return std::string_view(e.path).substr(e.nameAt);
}
