#include "ui/session_worker.h"

SessionWorker::SessionWorker(QObject* c) : context(c), thread([this] { Loop(); }) {}

SessionWorker::~SessionWorker() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    thread.join();
}

void SessionWorker::Run(std::function<void()> work) { Enqueue(std::move(work)); }

void SessionWorker::Enqueue(std::function<void()> job) {
    {
        std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
    }
    wake.notify_one();
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
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        running = 1;
        lock.unlock();
        job();
        job = nullptr;  // what the job held goes here, on this thread
        lock.lock();
        running = 0;
        if (jobs.empty()) idle.notify_all();
    }
}
