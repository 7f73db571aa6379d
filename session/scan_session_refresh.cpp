// The refresh cycle of a scan session: re-read the values of the rows on screen, re-establish a
// lost session. The read and the reconnect run on the session's thread over copies of the
// records, so the rows stay this thread's alone.
#include <memory>

#include "engine/live/live_subscription.h"
#include "session/scan_session.h"
#include "session/session_worker.h"
#include "texts/text_table.h"

// One pass: which rows were asked for, the copies read in their stead and how it went.
struct ScanSession::RefreshJob {
    struct Item {
        OPCUAItemData* row;  // compared only, never followed on the session's thread
        int hint;            // where the row was when the pass began
        std::unique_ptr<OPCUAItemData> copy;
    };
    std::vector<Item> items;
    bool reconnect = false;
    ConnectOutcome reconnected = ConnectOutcome::Connected;
    int readResult = -2;
};

void ScanSession::SetVisibleRecords(std::function<std::vector<VisibleRow>()> visible) {
    visibleRecords = std::move(visible);
}

std::vector<VisibleRow> ScanSession::VisibleRecords() const {
    if (visibleRecords) return visibleRecords();
    std::vector<VisibleRow> all;
    int row = 0;
    for (OPCUAItemData* record : rows.View()) {
        // A row whose type was never read is left out for good.
        if (!record->dataType.empty()) all.push_back({record, row});
        ++row;
    }
    return all;
}

void ScanSession::SessionLost() {
    lastReadResult = -1;
    Enter(SessionEvent::ReadFailed);
    Status(Text(TextKey::RefreshLost));
}

void ScanSession::RefreshPass() {
    const auto started = std::chrono::steady_clock::now();
    refreshTimer.stop();
    if (refreshRunning) return;  // passes stay strictly one after another
    if (state != SessionState::Refreshing && state != SessionState::Reconnecting) return;
    if (liveMode == LiveMode::Subscribed && lastReadResult != -1) {
        // The notifications carry the values; the pass only makes the items follow the screen.
        SyncLive();
        refreshTimer.start(timing.refreshMs);
        lastRefreshDuration = std::chrono::steady_clock::now() - started;
        return;
    }

    auto job = std::make_shared<RefreshJob>();
    for (const auto& [record, hint] : VisibleRecords()) {
        auto copy =
            std::make_unique<OPCUAItemData>(record->nodeId, record->value, record->dataType,
                                            record->displayName, record->time, record->quality);
        copy->typeIndex = record->typeIndex;
        copy->isArray = record->isArray;
        job->items.push_back({record, hint, std::move(copy)});
    }
    job->reconnect = lastReadResult == -1;
    refreshRunning = true;
    const int id = attempt;
    cancelRefresh = std::make_shared<std::atomic<bool>>(false);
    // The reconnect goes to the server the rows came from, whatever the URL box holds now.
    worker->Post(
        [this, job, settings = sessionSettings, cancel = cancelRefresh] {
            if (job->reconnect) {
                live.reset();  // it goes with the old session, before its client does
                browser.Disconnect();
                job->reconnected =
                    settings ? browser.Connect(*settings, cancel.get()) : ConnectOutcome::Cancelled;
                if (job->reconnected != ConnectOutcome::Connected) return job;
            }
            std::vector<OPCUAItemData*> copies;
            copies.reserve(job->items.size());
            for (auto& item : job->items) copies.push_back(item.copy.get());
            job->readResult = browser.ReadValues(copies, cancel.get());
            // Given up: the server may have stopped answering altogether, so the connection is
            // dropped without waiting on it; whatever comes next starts from no session.
            if (*cancel) {
                live.reset();
                browser.Abandon();
            }
            return job;
        },
        [this, id](const std::shared_ptr<RefreshJob>& done) {
            WhenRowsFree([this, id, done] { OnRefreshDone(id, *done); });
        });
    lastRefreshDuration = std::chrono::steady_clock::now() - started;
}

void ScanSession::OnRefreshDone(int id, const RefreshJob& job) {
    if (id != attempt || !refreshRunning) return;  // stopped or rescanned meanwhile
    refreshRunning = false;
    if (job.reconnected != ConnectOutcome::Connected) {
        for (const auto& item : job.items) {
            const int row = rows.RowOf(item.row, item.hint);
            if (row >= 0) rows.SetQuality(row, "UNCERTAIN");
        }
        if (job.reconnected == ConnectOutcome::ServerCertificateChanged ||
            job.reconnected == ConnectOutcome::ServerCertificateUntrusted) {
            // Retrying cannot help; the user has to look at the new certificate.
            Enter(SessionEvent::CertificateChanged);
            Status(Text(TextKey::ReconnectCertificateChanged));
            return;
        }
        Enter(SessionEvent::ReconnectFailed);
        Status(Text(TextKey::RefreshLost));
        refreshTimer.start(timing.retryMs);
        return;
    }
    for (const auto& item : job.items) {
        const int row = rows.RowOf(item.row, item.hint);
        if (row >= 0) rows.UpdateValues(row, *item.copy);
    }
    lastReadResult = job.readResult;
    if (lastReadResult == -1) {
        SessionLost();
    } else if (state == SessionState::Reconnecting) {
        Enter(SessionEvent::Reconnected);
        Status(Text(TextKey::RefreshBack));
        // A new session: the subscription is made again (the old one is not taken over).
        if (job.reconnect) StartLive();
    }
    refreshTimer.start(timing.refreshMs);
    // Lets the client renew its channel while the window waits for the next pass.
    if (lastReadResult != -1) worker->Run([this] { browser.KeepAlive(); });
}
