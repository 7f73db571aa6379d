#include "export/storage/directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/util/little_endian.h"

namespace {

constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

struct Node {
    std::uint32_t left, right;
    std::uint8_t colour;
};

class DirectoryTree {
public:
    DirectoryTree(const std::vector<std::uint8_t>& bytes, std::size_t entries) {
        for (std::size_t id = 0; id < entries; ++id) {
            const std::uint8_t* raw = bytes.data() + 128 * id;
            nodes_.push_back({le::GetU32(raw + 68), le::GetU32(raw + 72), raw[67]});
        }
        root_ = le::GetU32(bytes.data() + 76);
    }

    std::uint32_t Root() const { return root_; }

    // Black nodes on every path from `id` down to a leaf; -1 when the paths disagree or a red
    // node has a red child.
    int BlackHeight(std::uint32_t id) const {
        if (id == kNoStream) return 0;
        const Node& node = nodes_[id];
        for (std::uint32_t child : {node.left, node.right}) {
            if (node.colour == 0 && child != kNoStream && nodes_[child].colour == 0) return -1;
        }
        const int left = BlackHeight(node.left);
        const int right = BlackHeight(node.right);
        if (left < 0 || left != right) return -1;
        return left + node.colour;
    }

    void InOrder(std::uint32_t id, std::vector<std::uint32_t>& out) const {
        if (id == kNoStream) return;
        InOrder(nodes_[id].left, out);
        out.push_back(id);
        InOrder(nodes_[id].right, out);
    }

private:
    std::vector<Node> nodes_;
    std::uint32_t root_ = kNoStream;
};

TEST(DirectoryTest, ChildrenFormAValidRedBlackSearchTree) {
    for (std::size_t n = 1; n <= 40; ++n) {
        SCOPED_TRACE(n);
        std::vector<std::u16string> names;
        // Mixed lengths and cases, in an order unrelated to the tree's.
        for (std::size_t i = 0; i < n; ++i) {
            names.push_back(
                std::u16string(1 + (i * 7) % 5,
                               static_cast<char16_t>((i % 2 ? u'a' : u'A') + (i * 11) % 26)) +
                static_cast<char16_t>(u'0' + i % 10) + std::u16string(i / 10, u'z'));
        }
        std::vector<cfb::StreamEntry> entries;
        for (const auto& name : names) entries.push_back({name, 0, 0});
        const auto bytes = cfb::EncodeDirectory(0xFFFFFFFE, 0, entries);
        ASSERT_EQ(bytes.size(), ((n + 1 + 3) / 4) * 512);

        const DirectoryTree tree(bytes, n + 1);
        EXPECT_EQ(bytes[67], 1) << "root entry is black";
        ASSERT_NE(tree.Root(), kNoStream);
        EXPECT_EQ(bytes[128 * tree.Root() + 67], 1) << "tree root is black";
        EXPECT_GT(tree.BlackHeight(tree.Root()), 0);

        std::vector<std::uint32_t> order;
        tree.InOrder(tree.Root(), order);
        ASSERT_EQ(order.size(), n);
        for (std::size_t i = 1; i < n; ++i) {
            EXPECT_LT(cfb::CompareNames(names[order[i - 1] - 1], names[order[i] - 1]), 0);
        }
    }
}

TEST(DirectoryTest, NamesOrderByLengthThenUpperCase) {
    EXPECT_LT(cfb::CompareNames(u"Zz", u"aaa"), 0);
    EXPECT_EQ(cfb::CompareNames(u"Workbook", u"WORKBOOK"), 0);
    EXPECT_EQ(cfb::CompareNames(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_LT(cfb::CompareNames(u"abc", u"ABD"), 0);
    EXPECT_GT(cfb::CompareNames(u"b", u"A"), 0);
}

TEST(DirectoryTest, EntryFields) {
    const cfb::StreamEntry entry{u"Workbook", 12, 962};
    const auto bytes = cfb::EncodeDirectory(3, 1024, {&entry, 1});
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(le::GetU16(bytes.data() + 64), 22) << "\"Root Entry\" and its NUL, in bytes";
    EXPECT_EQ(le::GetU32(bytes.data() + 116), 3u) << "the root carries the mini stream";
    EXPECT_EQ(le::GetU32(bytes.data() + 120), 1024u);
    const std::uint8_t* stream = bytes.data() + 128;
    EXPECT_EQ(le::GetU16(stream + 64), 18);
    EXPECT_EQ(le::GetU32(stream + 116), 12u);
    EXPECT_EQ(le::GetU32(stream + 120), 962u);
    for (std::size_t id = 2; id < 4; ++id) {  // unused entries: zero but for the links
        const std::uint8_t* unused = bytes.data() + 128 * id;
        EXPECT_EQ(unused[66], 0);
        EXPECT_EQ(le::GetU32(unused + 68), kNoStream);
        EXPECT_EQ(le::GetU32(unused + 76), kNoStream);
    }
}

}  // namespace
