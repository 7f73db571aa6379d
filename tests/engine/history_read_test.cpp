#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <set>

#include "engine/history_read/historizing_read.h"
#include "engine/history_read/raw_history_read.h"
#include "engine/history_read/sample_number.h"
#include "tests/engine/engine_test_support.h"

namespace {

UA_NodeId Str(UA_UInt16 ns, const char* id) { return UA_NODEID_STRING(ns, const_cast<char*>(id)); }

// Long enough to hold every sample the demo archive was given.
HistoryPeriod Everything() {
    return {UA_DateTime_now() - 30 * 24 * 3600 * UA_DATETIME_SEC,
            UA_DateTime_now() + 3600 * UA_DATETIME_SEC};
}

class HistoryReadTest : public ::testing::Test {
protected:
    void Start(HistoryShape shape) {
        DemoServerOptions options;
        options.history = shape;
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
        ns = server->PlantNamespace();
    }
    UA_NodeId Archive() const { return Str(ns, demo::kArchivePoint); }

    std::unique_ptr<DemoServer> server;
    PointList list;
    OPCUABrowser engine{&list};
    UA_UInt16 ns = 0;
};

TEST_F(HistoryReadTest, FollowsContinuationPointsToEverySampleOnceInOrder) {
    // Answers of 7, of 10 asked by the client, and one answer of all.
    struct Case {
        std::size_t serverLimit;
        std::uint32_t perRequest;
        std::size_t responses;
    };
    for (const Case c : {Case{7, 0, 15}, Case{1000, 10, 10}, Case{1000, 0, 1}}) {
        Start({true, 100, c.serverLimit});
        const HistoryResult r =
            ReadRawHistory(engine.Client(), Archive(), Everything(), c.perRequest);
        EXPECT_EQ(r.outcome, HistoryOutcome::kRead);
        EXPECT_EQ(r.responses, c.responses) << c.serverLimit << "/" << c.perRequest;
        ASSERT_EQ(r.samples.size(), 100u);
        std::set<UA_DateTime> times;
        for (std::size_t i = 0; i < r.samples.size(); ++i) {
            times.insert(r.samples[i].sourceTime);
            if (i > 0) {
                EXPECT_EQ(r.samples[i].sourceTime - r.samples[i - 1].sourceTime, UA_DATETIME_SEC);
            }
            EXPECT_NEAR(r.samples[i].value, 20.0 + 5.0 * std::sin(i / 60.0), 1e-9);
            EXPECT_EQ(r.samples[i].status, UA_STATUSCODE_GOOD);
        }
        EXPECT_EQ(times.size(), 100u);  // none twice
        engine.Disconnect();
        server.reset();
    }
}

TEST_F(HistoryReadTest, KeepsToThePeriodStartIncludedEndExcluded) {
    Start({true, 50, 6});
    const HistoryResult all = ReadRawHistory(engine.Client(), Archive(), Everything());
    ASSERT_EQ(all.samples.size(), 50u);
    struct Case {
        std::size_t from, to;  // sample indices: the period's start and end
    };
    for (const Case c : {Case{0, 49}, Case{10, 11}, Case{20, 45}, Case{5, 5}}) {
        const HistoryPeriod period{all.samples[c.from].sourceTime, all.samples[c.to].sourceTime};
        const HistoryResult r = ReadRawHistory(engine.Client(), Archive(), period);
        EXPECT_EQ(r.outcome, HistoryOutcome::kRead);
        ASSERT_EQ(r.samples.size(), c.to - c.from) << c.from << ".." << c.to;
        if (!r.samples.empty()) {
            EXPECT_EQ(r.samples.front().sourceTime, all.samples[c.from].sourceTime);
            EXPECT_EQ(r.samples.back().sourceTime, all.samples[c.to - 1].sourceTime);
        }
    }
    // A period after the last sample holds nothing, which is no failure.
    const HistoryPeriod later{all.samples.back().sourceTime + UA_DATETIME_SEC / 2,
                              all.samples.back().sourceTime + UA_DATETIME_SEC * 3 / 4};
    const HistoryResult none = ReadRawHistory(engine.Client(), Archive(), later);
    EXPECT_EQ(none.outcome, HistoryOutcome::kRead);
    EXPECT_TRUE(none.samples.empty());
}

TEST_F(HistoryReadTest, StoppingReleasesTheContinuationPointAndKeepsWhatCame) {
    Start({true, 100, 10});
    int asked = 0;
    const HistoryResult r = ReadRawHistory(engine.Client(), Archive(), Everything(), 0,
                                           [&asked] { return ++asked > 3; });
    EXPECT_EQ(r.outcome, HistoryOutcome::kCancelled);
    EXPECT_EQ(r.samples.size(), 30u);
    // The session is still usable, and a new read starts from the beginning again.
    const HistoryResult again = ReadRawHistory(engine.Client(), Archive(), Everything());
    EXPECT_EQ(again.outcome, HistoryOutcome::kRead);
    EXPECT_EQ(again.samples.size(), 100u);
}

TEST_F(HistoryReadTest, RecordsWhatTheServerWritesAndSaysWhichPointsHistorize) {
    Start({true, 10, 1000});
    const UA_NodeId recorded = Str(ns, demo::kRecordedPoint);
    const UA_NodeId level = Str(ns, demo::kTankLevel);
    const UA_NodeId missing = Str(ns, "no such node");
    const UA_NodeId archive = Archive();
    EXPECT_EQ(ReadHistorizing(engine.Client(), {&recorded, &level, &missing, &archive}),
              (std::vector<bool>{true, false, false, true}));
    // The recorded point gains a sample each second.
    EXPECT_TRUE(WaitFor(
        [&] { return ReadRawHistory(engine.Client(), recorded, Everything()).samples.size() >= 2; },
        std::chrono::seconds(5)));
}

TEST_F(HistoryReadTest, AServerWithoutHistoryGivesOneOutcome) {
    Start({false, 100, 10});
    const UA_NodeId archive = Archive();
    EXPECT_EQ(ReadHistorizing(engine.Client(), {&archive}), std::vector<bool>{false});
    const HistoryResult r = ReadRawHistory(engine.Client(), archive, Everything());
    EXPECT_EQ(r.outcome, HistoryOutcome::kNoHistory) << UA_StatusCode_name(r.status);
    EXPECT_TRUE(r.samples.empty());
}

TEST(SampleNumber, NumbersAndBooleansOnlyAsScalars) {
    UA_Boolean yes = true;
    UA_Int64 big = -5;
    UA_UInt16 small = 54321;
    UA_Float f = 0.5f;
    UA_String text = UA_STRING(const_cast<char*>("12"));
    UA_Int32 array[2] = {1, 2};
    struct Case {
        void* data;
        const UA_DataType* type;
        double number;  // NaN: none
    };
    const double none = std::nan("");
    for (const Case c :
         {Case{&yes, &UA_TYPES[UA_TYPES_BOOLEAN], 1.0}, Case{&big, &UA_TYPES[UA_TYPES_INT64], -5.0},
          Case{&small, &UA_TYPES[UA_TYPES_UINT16], 54321.0},
          Case{&f, &UA_TYPES[UA_TYPES_FLOAT], 0.5},
          Case{&text, &UA_TYPES[UA_TYPES_STRING], none}}) {
        UA_Variant v;
        UA_Variant_setScalar(&v, c.data, c.type);
        const double got = SampleNumber(v);
        if (std::isnan(c.number)) {
            EXPECT_TRUE(std::isnan(got)) << c.type->typeName;
        } else {
            EXPECT_EQ(got, c.number) << c.type->typeName;
        }
    }
    UA_Variant v;
    UA_Variant_setArray(&v, array, 2, &UA_TYPES[UA_TYPES_INT32]);
    EXPECT_TRUE(std::isnan(SampleNumber(v)));
    UA_Variant_init(&v);
    EXPECT_TRUE(std::isnan(SampleNumber(v)));
}

}  // namespace
