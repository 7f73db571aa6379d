// The records wanted on screen against the monitored items held: what scrolling, a filter,
// deleted rows and a new session ask the subscription to create and delete.
#include "engine/live/monitor_book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Stand-ins for records: their addresses are the keys, their NodeIds ns=1;i=<n>.
struct Records {
    explicit Records(int count) {
        for (int i = 0; i < count; ++i) ids.push_back(UA_NODEID_NUMERIC(1, 100 + i));
    }
    MonitorKey Key(int i) const { return &ids[static_cast<std::size_t>(i)]; }
    std::vector<WantedItem> Rows(int first, int last) const {
        std::vector<WantedItem> wanted;
        for (int i = first; i <= last; ++i)
            wanted.push_back({Key(i), &ids[static_cast<std::size_t>(i)], i});
        return wanted;
    }
    std::vector<UA_NodeId> ids;
};

std::vector<UA_UInt32> CreatedIds(const MonitorChanges& changes) {
    std::vector<UA_UInt32> out;
    for (const MonitorRequest& r : changes.create) out.push_back(r.nodeId->identifier.numeric);
    return out;
}

std::vector<UA_UInt32> Range(UA_UInt32 first, UA_UInt32 last) {
    std::vector<UA_UInt32> out;
    for (UA_UInt32 i = first; i <= last; ++i) out.push_back(i);
    return out;
}

TEST(MonitorBook, ScrollingCreatesWhatComesIntoViewAndDeletesWhatLeaves) {
    const Records r(100);
    MonitorBook book;
    struct Step {
        int first, last;                 // rows on screen
        std::vector<UA_UInt32> created;  // NodeIds created, in screen order
        std::size_t removed;             // items deleted
    };
    const Step steps[] = {
        {0, 29, Range(100, 129), 0},    // the first screen
        {0, 29, {}, 0},                 // nothing moved: nothing asked
        {5, 34, Range(130, 134), 5},    // five rows down
        {70, 99, Range(170, 199), 30},  // a jump: a whole new screen
        {68, 97, Range(168, 169), 2},   // two rows back up
    };
    for (const Step& step : steps) {
        const MonitorChanges changes = book.Follow(r.Rows(step.first, step.last));
        EXPECT_EQ(CreatedIds(changes), step.created) << step.first;
        EXPECT_EQ(changes.remove.size(), step.removed) << step.first;
        EXPECT_EQ(book.Size(), static_cast<std::size_t>(step.last - step.first + 1));
    }
}

TEST(MonitorBook, HandlesMapToTheirRecordsUntilTheItemGoes) {
    const Records r(40);
    MonitorBook book;
    const MonitorChanges first = book.Follow(r.Rows(0, 9));
    ASSERT_EQ(first.create.size(), 10u);
    for (std::size_t i = 0; i < first.create.size(); ++i) {
        const MonitorBook::Entry* entry = book.Find(first.create[i].handle);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->key, r.Key(static_cast<int>(i)));
        EXPECT_EQ(entry->hint, static_cast<int>(i));
    }
    // Scrolled away: the old handles map to nothing, the deletes name exactly them.
    const MonitorChanges second = book.Follow(r.Rows(20, 29));
    std::vector<std::uint32_t> old;
    for (const MonitorRequest& m : first.create) old.push_back(m.handle);
    EXPECT_EQ(second.remove, old);
    for (std::uint32_t handle : old) EXPECT_EQ(book.Find(handle), nullptr) << handle;
    // New handles are never old ones, even for the same record coming back.
    const MonitorChanges third = book.Follow(r.Rows(0, 9));
    for (const MonitorRequest& m : third.create)
        EXPECT_EQ(std::count(old.begin(), old.end(), m.handle), 0) << m.handle;
}

TEST(MonitorBook, AFilterAndDeletedRowsTakeTheirItemsAway) {
    const Records r(30);
    MonitorBook book;
    ASSERT_EQ(book.Follow(r.Rows(0, 29)).create.size(), 30u);
    // A filter leaves every third row.
    std::vector<WantedItem> filtered;
    for (const WantedItem& w : r.Rows(0, 29))
        if (w.hint % 3 == 0) filtered.push_back(w);
    const MonitorChanges changes = book.Follow(filtered);
    EXPECT_TRUE(changes.create.empty());
    EXPECT_EQ(changes.remove.size(), 20u);
    EXPECT_EQ(book.Size(), 10u);

    // Rows 0 and 3 are deleted: their handles stop mapping before their records are freed.
    std::uint32_t handle0 = 0;
    for (std::uint32_t h = 1; h <= 30; ++h)
        if (const auto* e = book.Find(h); e != nullptr && e->key == r.Key(0)) handle0 = h;
    ASSERT_NE(handle0, 0u);
    const MonitorKey gone[] = {r.Key(0), r.Key(3), r.Key(1)};  // row 1 was not followed
    EXPECT_EQ(book.Forget(gone).size(), 2u);
    EXPECT_EQ(book.Find(handle0), nullptr);
    EXPECT_EQ(book.Size(), 8u);
    EXPECT_EQ(book.ForgetAll().size(), 8u);
    EXPECT_EQ(book.Size(), 0u);
}

TEST(MonitorBook, ARecordAtAFreedRecordsAddressIsANewItem) {
    Records r(3);
    MonitorBook book;
    const MonitorChanges first = book.Follow(r.Rows(0, 2));
    // The record behind key 1 went and another point took its memory.
    r.ids[1] = UA_NODEID_NUMERIC(2, 555);
    const MonitorChanges second = book.Follow(r.Rows(0, 2));
    ASSERT_EQ(second.create.size(), 1u);
    EXPECT_EQ(second.create[0].nodeId->namespaceIndex, 2);
    EXPECT_EQ(second.remove, std::vector<std::uint32_t>{first.create[1].handle});
}

TEST(MonitorBook, ANewSessionCreatesEverythingAgainAndRefusedItemsAreNotAskedTwice) {
    const Records r(10);
    MonitorBook book;
    const MonitorChanges first = book.Follow(r.Rows(0, 9));
    book.Refuse(first.create[4].handle);
    EXPECT_TRUE(book.Find(first.create[4].handle)->refused);
    EXPECT_TRUE(book.Follow(r.Rows(0, 9)).Empty()) << "a refused item is not asked again";

    book.Reset();  // reconnected: the server holds nothing of ours
    const MonitorChanges again = book.Follow(r.Rows(0, 9));
    EXPECT_EQ(again.create.size(), 10u);
    EXPECT_TRUE(again.remove.empty()) << "the old items died with the old session";
    EXPECT_EQ(book.Find(first.create[0].handle), nullptr);
}

TEST(MonitorBook, ARecordWantedTwiceIsMonitoredOnce) {
    const Records r(2);
    std::vector<WantedItem> wanted = r.Rows(0, 1);
    wanted.push_back(wanted[0]);  // on screen and in a trend
    MonitorBook book;
    EXPECT_EQ(book.Follow(wanted).create.size(), 2u);
    EXPECT_EQ(book.Size(), 2u);
}

TEST(MonitorBatches, ItemsAreSplitWithinTheServersLimit) {
    using Bounds = std::vector<std::pair<std::size_t, std::size_t>>;
    struct Case {
        std::size_t count;
        std::uint32_t limit;
        Bounds bounds;
    };
    const Case cases[] = {
        {0, 0, {}},
        {0, 5, {}},
        {30, 0, {{0, 30}}},
        {30, 30, {{0, 30}}},
        {30, 31, {{0, 30}}},
        {31, 30, {{0, 30}, {30, 1}}},
        {30, 7, {{0, 7}, {7, 7}, {14, 7}, {21, 7}, {28, 2}}},
        {3, 1, {{0, 1}, {1, 1}, {2, 1}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchBounds(c.count, c.limit), c.bounds) << c.count << " by " << c.limit;
}

}  // namespace
