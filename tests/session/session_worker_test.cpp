#include "session/session_worker.h"

#include <gtest/gtest.h>

#include <QObject>
#include <atomic>
#include <boost/thread/thread.hpp>
#include <thread>
#include <vector>

#include "tests/session/pump.h"

namespace {

using namespace std::chrono_literals;

TEST(SessionWorker, RunsJobsInOrderOffThisThreadAndAnswersOnIt) {
    QObject context;
    SessionWorker worker(&context);
    const auto ui = std::this_thread::get_id();
    std::vector<int> order;  // touched by the worker only while jobs run, read after they end
    std::vector<int> delivered;
    std::atomic<bool> offThread{true};
    for (int i = 0; i < 5; ++i) {
        worker.Post(
            [&, i] {
                if (std::this_thread::get_id() == ui) offThread = false;
                std::this_thread::sleep_for(2ms);
                order.push_back(i);
                return i * 10;
            },
            [&, ui](int result) {
                EXPECT_EQ(std::this_thread::get_id(), ui);
                delivered.push_back(result);
            });
    }
    EXPECT_GT(worker.Pending(), 0);
    ASSERT_TRUE(PumpUntil([&] { return delivered.size() == 5; }, 5s));
    EXPECT_TRUE(offThread);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(delivered, (std::vector<int>{0, 10, 20, 30, 40}));
    EXPECT_EQ(worker.Pending(), 0);
}

TEST(SessionWorker, EndingRunsWhatIsQueuedAndDropsTheAnswers) {
    std::atomic<int> ran{0};
    int delivered = 0;
    {
        QObject context;
        SessionWorker worker(&context);
        for (int i = 0; i < 3; ++i) {
            worker.Post(
                [&] {
                    std::this_thread::sleep_for(5ms);
                    return ++ran;
                },
                [&](int) { ++delivered; });
        }
        worker.Drain();
        EXPECT_EQ(ran, 3);
        worker.Run([&] { ++ran; });
    }
    EXPECT_EQ(ran, 4);
    PumpFor(20ms);
    EXPECT_EQ(delivered, 0);  // the context went before the event loop ran
}

// The walk is a job that Stop interrupts where it waits; the interruption ends that job only,
// never the next one, and a job that is not running cannot be interrupted.
TEST(SessionWorker, InterruptEndsTheRunningJobOnlyAndNeverTheNext) {
    QObject context;
    SessionWorker worker(&context);
    std::atomic<bool> waiting{false};
    std::atomic<bool> interrupted{false};
    std::atomic<bool> nextRanThrough{false};
    const std::uint64_t walk = worker.Run([&] {
        waiting = true;
        try {
            // Waits as the walk does, at interruption points.
            for (int i = 0; i < 20000; ++i) {
                boost::this_thread::interruption_point();
                std::this_thread::sleep_for(1ms);
            }
        } catch (const boost::thread_interrupted&) {
            interrupted = true;
            throw;
        }
    });
    const std::uint64_t next = worker.Run([&] {
        for (int i = 0; i < 20; ++i) {
            boost::this_thread::interruption_point();
            std::this_thread::sleep_for(1ms);
        }
        nextRanThrough = true;
    });
    EXPECT_FALSE(worker.Interrupt(next)) << "queued, not running";
    ASSERT_TRUE(PumpUntil([&] { return waiting.load(); }, 5s));
    EXPECT_TRUE(worker.Interrupt(walk));
    worker.Drain();
    EXPECT_TRUE(interrupted);
    EXPECT_TRUE(nextRanThrough);
    EXPECT_FALSE(worker.Interrupt(walk)) << "over";
}

TEST(SessionWorker, AnswerForAGoneContextIsDropped) {
    auto context = std::make_unique<QObject>();
    SessionWorker worker(context.get());
    bool delivered = false;
    worker.Post([] { return 1; }, [&](int) { delivered = true; });
    worker.Drain();
    context.reset();
    PumpFor(20ms);
    EXPECT_FALSE(delivered);
}

}  // namespace
