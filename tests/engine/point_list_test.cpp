#include <gtest/gtest.h>

#include <atomic>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <cstring>
#include <list>
#include <memory>
#include <thread>
#include <vector>

#include "engine/mth_list.h"
#include "engine/opcua_browser.h"
#include "engine/opcua_item_data.h"
#include "tests/support/demo_server_fixture.h"

namespace {

using namespace std::chrono_literals;

std::unique_ptr<OPCUAItemData> Record(UA_UInt32 id) {
    return std::make_unique<OPCUAItemData>(UA_NODEID_NUMERIC(2, id), "", "", "p", "", "");
}

// Lists over plain ints whose elements the test owns.
struct LeaveAlone {
    void operator()(int*&) const noexcept {}
};
using IntList = mth_list<int*, LeaveAlone>;

int destroyed = 0;
struct CountDestroyed {
    void operator()(int*&) const noexcept { ++destroyed; }
};

std::vector<int*> Drain(IntList& list) {
    std::vector<int*> out;
    int* element = nullptr;
    while (list.get(element, false)) out.push_back(element);
    return out;
}

// Something that should not happen has had this long to happen.
void Settle() { std::this_thread::sleep_for(50ms); }

}  // namespace

// --- The record ------------------------------------------------------------------------------

TEST(PointRecord, OwnsADeepCopyOfItsNodeId) {
    char text[] = "Line1.Temp";
    UA_NodeId source = UA_NODEID_STRING(2, text);
    OPCUAItemData record(source, "1", "Int32", "Temp", "t", "GOOD");
    text[0] = 'X';  // the caller's buffer changes or goes away
    ASSERT_EQ(record.nodeId.identifierType, UA_NODEIDTYPE_STRING);
    EXPECT_NE(record.nodeId.identifier.string.data, reinterpret_cast<UA_Byte*>(text));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record.nodeId.identifier.string.data),
                          record.nodeId.identifier.string.length),
              "Line1.Temp");
    EXPECT_EQ(record.displayName, "Temp");
    EXPECT_EQ(record.typeIndex, OPCUAItemData::kNoType);
}

TEST(PointRecord, OnlyNewEndMarkerMakesAnEndMarker) {
    const std::unique_ptr<OPCUAItemData> marker(NewEndMarker());
    EXPECT_TRUE(IsEndMarker(*marker));
    EXPECT_TRUE(marker->value.empty() && marker->displayName.empty() && marker->quality.empty());

    // Whatever NodeId a server uses, its variable is a point: the marker's own NodeId included.
    for (UA_UInt16 ns : {0, 1, 3}) {
        EXPECT_FALSE(
            IsEndMarker(OPCUAItemData(UA_NODEID_NUMERIC(ns, 0xFFFFFFFF), "", "", "", "", "")))
            << "ns=" << ns;
    }
    EXPECT_FALSE(IsEndMarker(OPCUAItemData(marker->nodeId, "", "", "", "", "")));
    EXPECT_FALSE(IsEndMarker(*Record(0xFFFFFFFE)));
    char text[] = "4294967295";
    EXPECT_FALSE(IsEndMarker(OPCUAItemData(UA_NODEID_STRING(0, text), "", "", "", "", "")));
}

// --- Order, capacity and the locked operations ------------------------------------------------

TEST(PointList, HandsOutElementsInTheOrderTheyWentIn) {
    PointList list;
    std::vector<OPCUAItemData*> in;
    for (UA_UInt32 id = 1; id <= 5; ++id) {
        in.push_back(Record(id).release());
        ASSERT_TRUE(list.put(in.back(), false));
    }
    for (OPCUAItemData* expected : in) {
        OPCUAItemData* out = nullptr;
        ASSERT_TRUE(list.get(out, false));
        EXPECT_EQ(out, expected);
        delete out;
    }
    OPCUAItemData* untouched = in.front();
    EXPECT_FALSE(list.get(untouched, false));
    EXPECT_EQ(untouched, in.front());
}

TEST(PointList, RefusesTheElementAfterCapacityWithoutWaiting) {
    PointList list;
    ASSERT_EQ(list.Capacity(), 32768u);
    auto record = Record(7);
    for (int i = 0; i < 32768; ++i) ASSERT_TRUE(list.put(record.get(), false)) << i;
    auto extra = Record(8);
    EXPECT_FALSE(list.put(extra.get(), false));

    // Every copy goes with remove, the extra one never went in, and nothing was destroyed.
    EXPECT_TRUE(list.remove(record.get()));
    OPCUAItemData* out = nullptr;
    EXPECT_FALSE(list.get(out, false));
    EXPECT_FALSE(list.remove(record.get()));
    EXPECT_EQ(record->nodeId.identifier.numeric, 7u);
}

TEST(PointList, RemoveTakesEveryCopyAndKeepsTheRestInOrder) {
    int a = 1, b = 2, c = 3;
    IntList list;
    for (int* p : {&a, &b, &a, &c, &a}) ASSERT_TRUE(list.put(p, false));
    EXPECT_TRUE(list.remove(&a));
    EXPECT_EQ(Drain(list), (std::vector<int*>{&b, &c}));
}

TEST(PointList, ClearEmptiesAFullListAndReportsAnEmptyOne) {
    PointList list(3);
    EXPECT_FALSE(list.clear());
    for (UA_UInt32 id = 1; id <= 3; ++id) ASSERT_TRUE(list.put(Record(id).release(), false));
    EXPECT_TRUE(list.clear());  // records in transit are released with it (ASan checks)
    OPCUAItemData* out = nullptr;
    EXPECT_FALSE(list.get(out, false));
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(list.put(Record(4).release(), false));
}

TEST(PointList, ReleasesWhatItStillHoldsThroughItsPolicy) {
    destroyed = 0;
    int a = 0, b = 0;
    {
        mth_list<int*, CountDestroyed> list;
        list.put(&a, false);
        list.put(&b, false);
        int* out = nullptr;
        list.get(out, false);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(PointList, PutListAppendsInChunksThatFit) {
    int v[6] = {};
    IntList list(4);
    EXPECT_TRUE(list.put_list({}, false));
    ASSERT_TRUE(list.put_list({&v[0], &v[1]}, false));
    // Three more do not fit in the two places left: nothing of this pass goes in.
    EXPECT_FALSE(list.put_list({&v[2], &v[3], &v[4]}, false));
    ASSERT_TRUE(list.put_list({&v[2], &v[3]}, false));
    EXPECT_EQ(Drain(list), (std::vector<int*>{&v[0], &v[1], &v[2], &v[3]}));
}

// --- Waiting across two threads ---------------------------------------------------------------

TEST(PointListWaiting, PutOnAFullListReturnsOnceAGetMadeRoom) {
    int a = 1, b = 2, late = 3;
    IntList list(2);
    list.put(&a, false);
    list.put(&b, false);
    std::atomic<bool> done{false};
    std::thread producer([&] { done = list.put(&late, true); });
    Settle();
    EXPECT_FALSE(done);
    int* out = nullptr;
    ASSERT_TRUE(list.get(out, false));
    producer.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(Drain(list), (std::vector<int*>{&b, &late}));
}

TEST(PointListWaiting, GetOnAnEmptyListReturnsTheNextElementPut) {
    int a = 1;
    IntList list;
    int* out = nullptr;
    std::thread consumer([&] { list.get(out, true); });
    Settle();
    list.put(&a, false);
    consumer.join();
    EXPECT_EQ(out, &a);
}

TEST(PointListWaiting, PutListWithWaitingDeliversEverythingThroughASmallList) {
    std::vector<int> values(50);
    std::list<int*> elements;
    for (int& v : values) elements.push_back(&v);
    IntList list(4);
    std::vector<int*> received;
    std::thread consumer([&] {
        for (std::size_t i = 0; i < values.size(); ++i) {
            int* out = nullptr;
            list.get(out, true);
            received.push_back(out);
        }
    });
    EXPECT_TRUE(list.put_list(elements, true));
    consumer.join();
    EXPECT_EQ(received, std::vector<int*>(elements.begin(), elements.end()));
}

TEST(PointListWaiting, ClearWakesEveryWaitingProducer) {
    int a = 1, b = 2, c = 3, d = 4;
    IntList list(2);
    list.put(&a, false);
    list.put(&b, false);
    std::atomic<int> done{0};
    std::thread first([&] { done += list.put(&c, true); });
    std::thread second([&] { done += list.put(&d, true); });
    Settle();
    EXPECT_EQ(done, 0);
    list.clear();
    first.join();
    second.join();
    EXPECT_EQ(done, 2);
    EXPECT_EQ(Drain(list).size(), 2u);
}

TEST(PointListWaiting, InterruptEndsABlockedPutAndFreesTheLock) {
    int a = 1, blocked = 2;
    IntList list(1);
    list.put(&a, false);
    std::atomic<bool> interrupted{false};
    boost::thread producer([&] {
        try {
            list.put(&blocked, true);
        } catch (const boost::thread_interrupted&) {
            interrupted = true;
        }
    });
    producer.interrupt();
    const bool ended = WaitFor([&] { return interrupted.load(); });
    if (!ended) {
        int* out = nullptr;
        list.get(out, false);  // let a stuck producer finish so the test can end
    }
    producer.join();
    ASSERT_TRUE(ended);
    // The lock went with the exception: this thread can still use the list.
    EXPECT_EQ(Drain(list), (std::vector<int*>{&a}));
    EXPECT_TRUE(list.put(&blocked, false));
}
