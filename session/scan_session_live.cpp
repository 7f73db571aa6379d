// Live values of a scan session: one subscription, made on the session's thread over the same
// client, follows the records a refresh pass would read. Its notifications are taken while
// the thread has nothing else to do and written into the rows here in short slices.
#include <QTimer>
#include <algorithm>

#include "engine/live/live_subscription.h"
#include "engine/value_text.h"
#include "session/scan_session.h"
#include "session/session_worker.h"

namespace {

using namespace std::chrono_literals;

// How long one job on the session's thread waits for notifications; other jobs wait no longer.
constexpr auto kCollectBudget = 100ms;
// How long one slice of notifications may hold this thread.
constexpr auto kSliceBudget = 4ms;

}  // namespace

// What a job of the live values hands back.
struct ScanSession::LiveJob {
    bool made = false;
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    std::vector<std::pair<std::uint32_t, UA_StatusCode>> refused;
    std::vector<LiveChange> changes;
};

void ScanSession::ConnectLive() {
    liveSyncTimer.setSingleShot(true);
    connect(&liveSyncTimer, &QTimer::timeout, this, &ScanSession::SyncLive);
    // A record's item goes before the record does, so that no handle names a freed record.
    connect(&rows, &PointRows::AboutToErase, this,
            [this](int first, int last) { ForgetLiveRows(first, last); });
    connect(&rows, &PointRows::AboutToClear, this,
            [this] { ForgetLiveRows(0, static_cast<int>(rows.Size()) - 1); });
}

void ScanSession::VisibleRowsChanged() {
    if (liveMode == LiveMode::Subscribed) liveSyncTimer.start(timing.liveSyncMs);
}

void ScanSession::StartLive() {
    if (!timing.live || !sessionSettings) return;
    liveMode = LiveMode::Starting;
    liveBook.Reset();  // a new session holds none of the old items
    const int id = attempt;
    const double samplingMs = sessionSettings->samplingIntervalMs;
    worker->Post(
        [this, samplingMs] {
            LiveJob job;
            live.reset();
            live = LiveSubscription::Create(browser.Client(), samplingMs, job.status);
            job.made = live != nullptr;
            return job;
        },
        [this, id](const LiveJob& job) {
            if (id != attempt || liveMode != LiveMode::Starting) return;
            // Refused, or the session is in trouble: the read goes on and finds out which.
            liveMode = job.made ? LiveMode::Subscribed : LiveMode::Refused;
            if (!job.made) return;
            SyncLive();
            PollLive();
        });
}

void ScanSession::StopLive() {
    liveMode = LiveMode::Off;
    liveSyncTimer.stop();
    liveBook.Reset();
    liveQueue.clear();
    liveResync = false;
    worker->Run([this] { live.reset(); });
}

void ScanSession::LiveFailed() {
    // The server took the subscription but not its items, or the session went: the rows go
    // back to being read, and a lost session is found by that read as before.
    StopLive();
    liveMode = LiveMode::Refused;
}

void ScanSession::SyncLive() {
    if (liveMode != LiveMode::Subscribed) return;
    if (liveSyncing) {
        liveResync = true;  // after the changes under way
        return;
    }
    std::vector<WantedItem> wanted;
    for (const auto& [record, hint] : VisibleRecords())
        wanted.push_back({record, &record->nodeId, hint});
    auto changes = std::make_shared<MonitorChanges>(liveBook.Follow(wanted));
    if (changes->Empty()) return;
    liveSyncing = true;
    const int id = attempt;
    worker->Post(
        [this, changes] {
            LiveJob job;
            if (!live) {
                job.status = UA_STATUSCODE_BADNOSUBSCRIPTION;
                return job;
            }
            job.status = live->Remove(changes->remove);
            if (job.status == UA_STATUSCODE_GOOD)
                job.status = live->Add(changes->create, job.refused);
            return job;
        },
        [this, id](const LiveJob& job) {
            liveSyncing = false;
            if (id != attempt || liveMode != LiveMode::Subscribed) return;
            if (job.status != UA_STATUSCODE_GOOD) {
                LiveFailed();
                return;
            }
            for (const auto& [handle, status] : job.refused) {
                const MonitorBook::Entry* entry = liveBook.Find(handle);
                if (entry == nullptr) continue;
                const int row =
                    rows.RowOf(static_cast<const OPCUAItemData*>(entry->key), entry->hint);
                if (row >= 0) rows.SetQuality(row, QualityText(status));
                liveBook.Refuse(handle);
            }
            if (liveResync) {
                liveResync = false;
                SyncLive();
            }
        });
}

void ScanSession::PollLive() {
    if (liveMode != LiveMode::Subscribed || livePolling) return;
    livePolling = true;
    const int id = attempt;
    worker->Post(
        [this] {
            LiveJob job;
            if (!live) {
                job.status = UA_STATUSCODE_BADNOSUBSCRIPTION;
                return job;
            }
            // Gives way as soon as other work is queued behind it.
            job.status = live->Collect(kCollectBudget, job.changes,
                                       [this] { return worker->Pending() > 1; });
            return job;
        },
        [this, id](const LiveJob& job) {
            livePolling = false;
            if (id != attempt || liveMode != LiveMode::Subscribed) return;
            if (!job.changes.empty()) {
                std::move(job.changes.begin(), job.changes.end(), std::back_inserter(liveQueue));
                ScheduleLiveApply();
            }
            if (job.status != UA_STATUSCODE_GOOD) {
                // As a failed read: the next pass re-establishes the session, and with it the
                // subscription.
                StopLive();
                SessionLost();
                if (!refreshRunning) refreshTimer.start(timing.refreshMs);
                return;
            }
            PollLive();
        });
}

void ScanSession::ForgetLiveRows(int first, int last) {
    if (liveBook.Size() == 0 || last < first) return;
    std::vector<MonitorKey> keys;
    keys.reserve(static_cast<std::size_t>(last - first + 1));
    for (int row = first; row <= last; ++row) keys.push_back(rows.Record(row));
    auto handles = std::make_shared<std::vector<std::uint32_t>>(liveBook.Forget(keys));
    if (handles->empty() || liveMode != LiveMode::Subscribed) return;
    worker->Run([this, handles] {
        if (live) live->Remove(*handles);
    });
}

void ScanSession::ScheduleLiveApply() {
    if (liveApplying) return;
    liveApplying = true;
    QTimer::singleShot(0, this, [this] { WhenRowsFree([this] { ApplyLive(); }); });
}

void ScanSession::ApplyLive() {
    liveApplying = false;
    const auto started = std::chrono::steady_clock::now();
    const UA_DateTime now = UA_DateTime_now();
    std::size_t done = 0;
    while (!liveQueue.empty()) {
        const LiveChange& change = liveQueue.front();
        // A handle the book no longer knows belongs to a row that went or scrolled away.
        if (const MonitorBook::Entry* entry = liveBook.Find(change.handle)) {
            const int row = rows.RowOf(static_cast<const OPCUAItemData*>(entry->key), entry->hint);
            if (row >= 0) {
                rows.ApplyLive(row, change);
                ++liveStats.applied;
                if (change.sourceTime != 0) {
                    const std::chrono::milliseconds late((now - change.sourceTime) /
                                                         UA_DATETIME_MSEC);
                    liveStats.longestLatency = std::max(liveStats.longestLatency, late);
                    liveStats.totalLatency += late;
                    ++liveStats.timed;
                }
            }
        }
        liveQueue.pop_front();
        if ((++done % 64) == 0 && std::chrono::steady_clock::now() - started > kSliceBudget) break;
    }
    liveStats.longestSlice = std::max<std::chrono::nanoseconds>(
        liveStats.longestSlice, std::chrono::steady_clock::now() - started);
    if (!liveQueue.empty()) ScheduleLiveApply();
}
