// One Read request builder and one retry policy for every Read and Browse; a Read that waits on
// a server that stopped answering can be given up at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/read_request.h"
#include "engine/request_retry.h"
#include "engine/value_text.h"
#include "tests/walk/walk_test_support.h"
#include "tools/relay/delay_relay.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(RetryPolicy, EachFailureGetsItsStep) {
    struct Case {
        UA_StatusCode status;
        std::size_t nodes;
        bool secondTry;
        RetryStep step;
    };
    const Case cases[] = {
        {UA_STATUSCODE_BADCONNECTIONCLOSED, 10, false, RetryStep::kSessionLost},
        {UA_STATUSCODE_BADSESSIONIDINVALID, 1, true, RetryStep::kSessionLost},
        {UA_STATUSCODE_BADTOOMANYOPERATIONS, 10, false, RetryStep::kShrink},
        {UA_STATUSCODE_BADTOOMANYOPERATIONS, 10, true, RetryStep::kShrink},
        {UA_STATUSCODE_BADRESPONSETOOLARGE, 2, false, RetryStep::kShrink},
        {UA_STATUSCODE_BADTOOMANYOPERATIONS, 1, false, RetryStep::kGiveUp},  // cannot shrink
        {UA_STATUSCODE_BADTIMEOUT, 10, false, RetryStep::kRetrySmaller},
        {UA_STATUSCODE_BADTIMEOUT, 1, false, RetryStep::kRetry},
        {UA_STATUSCODE_BADTIMEOUT, 10, true, RetryStep::kGiveUp},  // once only
        {UA_STATUSCODE_BADTIMEOUT, 1, true, RetryStep::kGiveUp},
        {UA_STATUSCODE_BADINTERNALERROR, 10, false, RetryStep::kGiveUp},
        {UA_STATUSCODE_BADSERVICEUNSUPPORTED, 1, false, RetryStep::kGiveUp},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepAfterFailure(c.status, c.nodes, c.secondTry), c.step)
            << UA_StatusCode_name(c.status) << " nodes " << c.nodes << " second " << c.secondTry;
    }
}

TEST(ReadRequestBuilder, SeveralAttributesPerNodeComeNodeByNode) {
    OPCUAItemData a(UA_NODEID_NUMERIC(2, 7), "", "", "", "", "");
    OPCUAItemData b(UA_NODEID_NUMERIC(3, 9), "", "", "", "", "");
    OPCUAItemData* records[] = {&a, &b};
    ReadRequestBuilder builder({UA_ATTRIBUTEID_VALUE, UA_ATTRIBUTEID_USERACCESSLEVEL});
    const UA_ReadRequest& request = builder.Build(std::span<OPCUAItemData* const>(records));
    ASSERT_EQ(request.nodesToReadSize, 4u);
    const UA_UInt32 attributes[] = {UA_ATTRIBUTEID_VALUE, UA_ATTRIBUTEID_USERACCESSLEVEL,
                                    UA_ATTRIBUTEID_VALUE, UA_ATTRIBUTEID_USERACCESSLEVEL};
    for (std::size_t i = 0; i < 4; ++i) {
        const UA_ReadValueId& id = request.nodesToRead[i];
        EXPECT_EQ(id.attributeId, attributes[i]) << i;
        EXPECT_TRUE(UA_NodeId_equal(&id.nodeId, i < 2 ? &a.nodeId : &b.nodeId)) << i;
        EXPECT_EQ(id.indexRange.length, 0u);
    }
    // Built again for one node: the request no longer speaks of the other.
    const UA_ReadRequest& again = builder.Build(std::span<OPCUAItemData* const>(records, 1));
    EXPECT_EQ(again.nodesToReadSize, 2u);
    EXPECT_EQ(again.maxAge, 0.0);
    EXPECT_EQ(again.timestampsToReturn, UA_TIMESTAMPSTORETURN_SOURCE);
}

// A session through a relay that can swallow every Read answer, as a frozen server would.
class AbandonedReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions options;
        options.points = 20;
        server = StartDemoServer(options);
        ASSERT_TRUE(server);
        relay = std::make_unique<DelayRelay>("127.0.0.1", server->Port(), 0us);
        std::string error;
        ASSERT_TRUE(relay->Start(&error)) << error;
        browser = ConnectToUrl(relay->Url(), list);
        ASSERT_TRUE(browser);
        for (std::uint32_t k = 0; k < 3; ++k) {
            owned.push_back(std::make_unique<OPCUAItemData>(
                UA_NODEID_NUMERIC(server->PlantNamespace(), demo::kGeneratedBase + k), "old",
                "Int32", "", "", "GOOD"));
            records.push_back(owned.back().get());
        }
    }

    std::unique_ptr<DemoServer> server;
    std::unique_ptr<DelayRelay> relay;
    PointList list;
    std::unique_ptr<OPCUABrowser> browser;
    Records owned;
    std::vector<OPCUAItemData*> records;
};

TEST_F(AbandonedReadTest, CancelEndsAReadTheServerSitsOnAndTheSessionClosesAtOnce) {
    // The session's timeout is ten seconds: only the cancel can end this in time.
    relay->DropResponsesTo(ReadRequests());
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        cancel = true;
    });
    const auto start = Clock::now();
    const int result = browser->ReadValues(records, &cancel);
    const auto took = Clock::now() - start;
    canceller.join();
    EXPECT_EQ(result, -1);
    EXPECT_GE(took, 290ms);
    EXPECT_LT(took, 800ms);
    EXPECT_GE(relay->DroppedResponses(), 1u);
    for (OPCUAItemData* record : records) {
        EXPECT_EQ(record->quality, "BAD");
        EXPECT_EQ(record->value, "old");
    }
    const auto closing = Clock::now();
    browser->Disconnect();
    EXPECT_LT(Clock::now() - closing, 1s);
    EXPECT_FALSE(browser->HasSession());
}

TEST_F(AbandonedReadTest, WithoutCancelTheReadEndsAtTheTimeoutAfterOneRetry) {
    UA_Client_getConfig(browser->Client())->timeout = 500;
    // The limits are asked first; let that pass, then swallow the value reads.
    ASSERT_EQ(browser->ReadValues(records), 0);
    EXPECT_EQ(records[0]->value, "0");
    relay->DropResponsesTo(ReadRequests());
    const auto start = Clock::now();
    EXPECT_EQ(browser->ReadValues(records), -1);
    const auto took = Clock::now() - start;
    // Three records: timed out, then tried once more in halves (both answered never), so two
    // timeouts in a row and no third.
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 3500ms);  // the client looks for timed-out requests now and then
    EXPECT_EQ(relay->DroppedResponses(), 3u);
    for (OPCUAItemData* record : records) EXPECT_EQ(record->quality, "BAD");
}

TEST_F(AbandonedReadTest, ACancelledReadLeavesNothingForTheNextSession) {
    relay->DropResponsesTo(ReadRequests());
    std::atomic<bool> cancel{true};  // already given up: nothing is waited for
    const auto start = Clock::now();
    EXPECT_EQ(browser->ReadValues(records, &cancel), -1);
    EXPECT_LT(Clock::now() - start, 200ms);
    relay->DropResponsesTo({});
    // A new session over the same engine reads normally.
    ASSERT_EQ(browser->ConnectAnonymous(relay->Url(), 10), 0);
    EXPECT_EQ(browser->ReadValues(records), 0);
    EXPECT_EQ(records[2]->value, "2");
    EXPECT_EQ(records[2]->quality, "GOOD");
}

}  // namespace
