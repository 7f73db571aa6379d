#pragma once

#include <QObject>
#include <QPointer>
#include <boost/thread/thread.hpp>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

// Runs jobs strictly one after another on a thread of its own and hands each result back to the
// thread of `context` (the user-interface thread), so that network waits never block the window.
// Whatever a job touches is used by that thread alone while the job runs. A job can be
// interrupted (boost's thread interruption) while it runs; the next job starts uninterrupted.
class SessionWorker {
public:
    explicit SessionWorker(QObject* context);
    // Runs what is queued to its end, then ends the thread. Results not yet delivered are dropped.
    ~SessionWorker();

    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // `work()` runs on the worker; `done(result)` later on the context's thread, unless the
    // context is gone by then.
    template <class Work, class Done>
    std::uint64_t Post(Work work, Done done) {
        QPointer<QObject> target(context);
        return Enqueue([target, work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<std::invoke_result_t<Work&>>(work());
            if (target.isNull()) return;
            QMetaObject::invokeMethod(
                target.data(), [done = std::move(done), result]() mutable { done(*result); },
                Qt::QueuedConnection);
        });
    }
    // A job without a result to deliver; returns its number, for Interrupt.
    std::uint64_t Run(std::function<void()> work);
    // Interrupts job `number` if it is the one running now; false otherwise.
    bool Interrupt(std::uint64_t number);

    // Jobs queued or running.
    int Pending() const;
    // Waits until every queued job has run.
    void Drain();

private:
    struct Job {
        std::uint64_t number;
        std::function<void()> work;
    };
    std::uint64_t Enqueue(std::function<void()> job);
    void Loop();

    QObject* context;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> jobs;
    std::uint64_t lastNumber = 0;
    std::uint64_t runningNumber = 0;  // 0 while none runs
    int running = 0;
    bool stopping = false;
    boost::thread thread;  // last: starts once everything it uses exists
};
