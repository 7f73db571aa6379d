#include <gtest/gtest.h>

#include <string>

#include "engine/opcua_browser.h"
#include "engine/read_results.h"
#include "engine/value_text.h"
#include "tests/engine/engine_test_support.h"

using engine_test::Records;

namespace {

// "yyyy-mm-dd hh:mm:ss"
bool LooksLikeTimeText(const std::string& text) {
    const std::string form = "dddd-dd-dd dd:dd:dd";
    if (text.size() != form.size()) return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (form[i] == 'd' ? !digit : text[i] != form[i]) return false;
    }
    return true;
}

class ReadValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = StartDemoServer();
        ASSERT_TRUE(server);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
        ns = server->PlantNamespace();
    }

    std::unique_ptr<DemoServer> server;
    PointList list;
    OPCUABrowser engine{&list};
    UA_UInt16 ns = 0;
};

// Reaches the cached read limit of the session.
class LimitProbe : public OPCUABrowser {
public:
    using OPCUABrowser::OPCUABrowser;
    void AssumeNoReadLimit() { maxNodesPerRead = 0; }
    std::optional<std::uint32_t> KnownReadLimit() const { return maxNodesPerRead; }
};

Records GeneratedPoints(UA_UInt16 ns, std::uint32_t count) {
    Records records;
    for (std::uint32_t k = 0; k < count; ++k)
        records.Add(UA_NODEID_NUMERIC(ns, demo::kGeneratedBase + k));
    return records;
}

void ExpectEveryValueRead(Records& records) {
    const std::string time = records[0].time;
    EXPECT_TRUE(LooksLikeTimeText(time)) << time;
    for (std::size_t k = 0; k < records.owned.size(); ++k) {
        ASSERT_EQ(records[k].quality, "GOOD") << k;
        ASSERT_EQ(records[k].value, std::to_string(k)) << k;
        ASSERT_EQ(records[k].dataType, "Int32") << k;
        ASSERT_EQ(records[k].time, time) << "one time text per call, record " << k;
    }
}

}  // namespace

TEST_F(ReadValuesTest, NothingToReadSendsNothing) {
    server->ResetValueReads();
    EXPECT_EQ(engine.ReadValues({}), -2);
    EXPECT_EQ(server->ValueReads(), 0u);
}

TEST_F(ReadValuesTest, EveryBuiltInScalarGetsItsTypeAndText) {
    Records records;
    for (UA_UInt32 i = 0; i <= 20; ++i) records.Add(UA_NODEID_NUMERIC(ns, demo::kAllTypesBase + i));
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    for (UA_UInt16 i = 0; i <= 20; ++i) {
        OPCUAItemData& r = records[i];
        EXPECT_EQ(r.quality, "GOOD") << i;
        EXPECT_EQ(r.typeIndex, i);
        EXPECT_EQ(r.dataType, UA_TYPES[i].typeName);
        EXPECT_TRUE(LooksLikeTimeText(r.time)) << r.time;
        // What the server holds, rendered the same way.
        UA_Variant held;
        ASSERT_EQ(UA_Server_readValue(server->Server(), r.nodeId, &held), UA_STATUSCODE_GOOD);
        std::string expected = "old";
        VariantToText(held, expected);
        UA_Variant_clear(&held);
        EXPECT_EQ(r.value, expected) << UA_TYPES[i].typeName;
    }
    EXPECT_EQ(records[UA_TYPES_GUID].value, "12345678-9abc-def0-0102-030405060708");
}

TEST_F(ReadValuesTest, UnknownNodeIsBadAndKeepsItsValue) {
    Records records;
    records.Add(UA_NODEID_STRING(ns, const_cast<char*>("No.Such.Node")));
    records.Add(UA_NODEID_NUMERIC(ns, demo::kReadOnly));
    records[0].dataType = "Double";
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    EXPECT_EQ(records[0].quality, "BAD");
    EXPECT_EQ(records[0].value, "old");
    EXPECT_EQ(records[0].dataType, "Double");
    EXPECT_NE(records[0].time, "t0");
    EXPECT_EQ(records[0].time, records[1].time);
    EXPECT_EQ(records[1].value, "42");
}

TEST_F(ReadValuesTest, ArrayGetsItsElementTypeAndText) {
    Records records;
    records.Add(UA_NODEID_NUMERIC(ns, demo::kInt32Array));
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    EXPECT_EQ(records[0].quality, "GOOD");
    EXPECT_EQ(records[0].dataType, "Int32");
    EXPECT_EQ(records[0].typeIndex, 5);
    EXPECT_TRUE(records[0].isArray);
    EXPECT_EQ(records[0].value, "[1, 2, 3]");
    // The same point read as a scalar later is one again.
    records[0].nodeId = UA_NODEID_NUMERIC(ns, demo::kWritableDouble);
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    EXPECT_FALSE(records[0].isArray);
}

TEST_F(ReadValuesTest, LostServerMarksEveryRecordBad) {
    Records records;
    records.Add(UA_NODEID_NUMERIC(ns, demo::kReadOnly), "41");
    records.Add(UA_NODEID_STRING(ns, const_cast<char*>(demo::kTankName)), "Tank 0");
    server->Stop();
    EXPECT_EQ(engine.ReadValues(records.pointers), -1);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i].quality, "BAD");
        // No answer came, so no time: empty rather than the year 1601.
        EXPECT_EQ(records[i].time, "") << records[i].time;
        EXPECT_EQ(records[i].dataType, "");
    }
    EXPECT_EQ(records[0].value, "41");
    EXPECT_EQ(records[1].value, "Tank 0");
}

TEST_F(ReadValuesTest, WithoutSessionEveryRecordIsBadWithoutATime) {
    Records records;
    records.Add(UA_NODEID_NUMERIC(ns, demo::kReadOnly), "41");
    engine.Disconnect();
    EXPECT_EQ(engine.ReadValues(records.pointers), -1);
    EXPECT_EQ(records[0].quality, "BAD");
    EXPECT_EQ(records[0].time, "");
    EXPECT_EQ(records[0].value, "41");
}

// 300 generated points on a server with the given read limit (0: none published).
class ReadValuesLimits : public ::testing::Test {
protected:
    void Start(std::uint32_t maxNodesPerRead) {
        DemoServerOptions options;
        options.points = 300;
        options.maxNodesPerRead = maxNodesPerRead;
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
        records = GeneratedPoints(server->PlantNamespace(), 300);
    }

    std::unique_ptr<DemoServer> server;
    PointList list;
    LimitProbe engine{&list};
    Records records;
};

TEST_F(ReadValuesLimits, ServerLimitIsReadInBatchesWithOneResult) {
    ASSERT_NO_FATAL_FAILURE(Start(50));
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    ExpectEveryValueRead(records);
    EXPECT_EQ(engine.KnownReadLimit(), 50u);

    engine.Disconnect();  // a new session asks again
    EXPECT_FALSE(engine.KnownReadLimit().has_value());
}

TEST_F(ReadValuesLimits, RefusedSingleReadFallsBackToBatches) {
    ASSERT_NO_FATAL_FAILURE(Start(50));
    engine.AssumeNoReadLimit();  // as with a server that does not publish its limit
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    ExpectEveryValueRead(records);
    ASSERT_TRUE(engine.KnownReadLimit().has_value());
    EXPECT_LE(*engine.KnownReadLimit(), 50u);  // the next read starts at a size that works
    EXPECT_GT(*engine.KnownReadLimit(), 0u);
}

TEST_F(ReadValuesLimits, NoLimitMeansOneRead) {
    ASSERT_NO_FATAL_FAILURE(Start(0));
    ASSERT_EQ(engine.ReadValues(records.pointers), 0);
    ExpectEveryValueRead(records);
    EXPECT_EQ(engine.KnownReadLimit(), 0u);
}

// --- The response handling on its own ---------------------------------------------------------

namespace {

// A response carrying `result` alone; it borrows the result.
UA_ReadResponse ResponseOf(UA_DataValue& result) {
    UA_ReadResponse response;
    UA_ReadResponse_init(&response);
    response.results = &result;
    response.resultsSize = 1;
    return response;
}

}  // namespace

// An answer whose results cannot be matched to the records fails like a Read that failed as a
// whole: every record "BAD" with the time text, values and types as they were.
TEST(StoreReadResults, CountMismatchFailsAsAWholeRead) {
    UA_DataValue one;
    UA_DataValue_init(&one);
    UA_Int32 value = 7;
    UA_Variant_setScalar(&one.value, &value, &UA_TYPES[UA_TYPES_INT32]);
    one.hasValue = true;
    UA_ReadResponse empty;
    UA_ReadResponse_init(&empty);
    for (const UA_ReadResponse& response : {empty, ResponseOf(one)}) {
        SCOPED_TRACE(std::to_string(response.resultsSize) + " results for 2 records");
        Records records;
        records.Add(UA_NODEID_NUMERIC(2, 1), "a");
        records.Add(UA_NODEID_NUMERIC(2, 2), "b");
        EXPECT_FALSE(StoreReadResults(records.pointers, response, "2024-01-01 00:00:00"));
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(records[i].time, "2024-01-01 00:00:00");
            EXPECT_EQ(records[i].quality, "BAD");
            EXPECT_EQ(records[i].typeIndex, OPCUAItemData::kNoType);
        }
        EXPECT_EQ(records[0].value, "a");
        EXPECT_EQ(records[1].value, "b");
    }

    // The same single result for a single record is taken.
    Records single;
    single.Add(UA_NODEID_NUMERIC(2, 1), "a");
    EXPECT_TRUE(StoreReadResults(single.pointers, ResponseOf(one), "2024-01-01 00:00:00"));
    EXPECT_EQ(single[0].value, "7");
    EXPECT_EQ(single[0].quality, "GOOD");
}

TEST(StoreReadResults, StatusWithoutValueChangesOnlyTimeAndQuality) {
    Records records;
    records.Add(UA_NODEID_NUMERIC(2, 1), "5");
    records[0].dataType = "Int32";
    UA_DataValue uncertain;
    UA_DataValue_init(&uncertain);
    uncertain.hasStatus = true;
    uncertain.status = 0x40920000;
    EXPECT_TRUE(StoreReadResults(records.pointers, ResponseOf(uncertain), "T"));
    EXPECT_EQ(records[0].quality, "UNCERTAIN");
    EXPECT_EQ(records[0].time, "T");
    EXPECT_EQ(records[0].value, "5");
    EXPECT_EQ(records[0].dataType, "Int32");
}
