#include "session/session_worker.h"

SessionWorker::SessionWorker(QObject* c) : context(c), thread([this] { Loop(); }) {}

SessionWorker::~SessionWorker() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

std::uint64_t SessionWorker::Run(std::function<void()> work) { return Enqueue(std::move(work)); }

std::uint64_t SessionWorker::Enqueue(std::function<void()> job) {
    std::uint64_t number = 0;
    {
        std::lock_guard lock(mutex);
        number = ++lastNumber;
        jobs.push_back({number, std::move(job)});
    }
    wake.notify_one();
    return number;
}

bool SessionWorker::Interrupt(std::uint64_t number) {
    std::lock_guard lock(mutex);
    if (number == 0 || runningNumber != number) return false;
    thread.interrupt();
    return true;
}

int SessionWorker::Pending() const {
    std::lock_guard lock(mutex);
    return static_cast<int>(jobs.size()) + running;
}

void SessionWorker::Drain() {
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return jobs.empty() && running == 0; });
}

void SessionWorker::Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty()) return;  // stopping, and nothing is left to run
        Job job = std::move(jobs.front());
        jobs.pop_front();
        running = 1;
        runningNumber = job.number;
        lock.unlock();
        try {
            job.work();
        } catch (const boost::thread_interrupted&) {
            // The job gave up where it was interrupted; what it held goes below.
        }
        job.work = nullptr;  // what the job held goes here, on this thread
        lock.lock();
        runningNumber = 0;
        lock.unlock();
        // An interruption that came as the job ended must not reach the next one.
        try {
            boost::this_thread::interruption_point();
        } catch (const boost::thread_interrupted&) {
        }
        lock.lock();
        running = 0;
        if (jobs.empty()) idle.notify_all();
    }
}
