#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The objects a walk went through, each stored once with its parent, so that a point names the
// object holding it by one index instead of carrying its path. Object 0 is the Objects folder,
// whose path is empty; a child of it has its own display name as path, a deeper one
// "Plant/Line1". Each object's whole path is formed once, when it is added, because the list
// sorts and filters by it and an export may read it from another thread.
class ObjectPaths {
public:
    static constexpr std::uint32_t kObjects = 0;

    ObjectPaths();

    // A new object below `parent` (an index this table gave out). Returns its index.
    std::uint32_t Add(std::uint32_t parent, std::string_view name);

    const std::string& PathOf(std::uint32_t object) const;
    std::uint32_t ParentOf(std::uint32_t object) const;
    std::string_view NameOf(std::uint32_t object) const;
    std::size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::uint32_t parent;
        std::uint32_t nameAt;  // where the object's own name starts in `path`
        std::string path;
    };
    std::vector<Entry> entries_;
};
