// The refresh cycle: re-read the values of the rows on screen, re-establish a lost session. The
// read and the reconnect run on the session's thread over copies of the records, so the rows
// stay this thread's alone; the results come back through the model.
#include <algorithm>
#include <memory>

#include "texts/text_table.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/quorvane_dlg.h"
#include "ui/session_worker.h"
#include "ui/visible_rows.h"

// One pass: which rows were asked for, the copies read in their stead and how it went.
struct CQuorvaneDlg::RefreshJob {
    struct Item {
        OPCUAItemData* row;  // compared only, never followed on the session's thread
        int hint;            // where the row was when the pass began
        std::unique_ptr<OPCUAItemData> copy;
    };
    std::vector<Item> items;
    bool reconnect = false;
    bool reconnectFailed = false;
    int readResult = -2;
};

std::vector<OPCUAItemData*> CQuorvaneDlg::VisibleRecords() const {
    // The rows on screen are rows of the filtered, sorted list.
    const int shownRows = filterModel->rowCount();
    // A row cut at the bottom is on screen too, and would keep a stale value and quality.
    const RowRange range = VisibleRows(listView->FirstVisibleRow(), listView->RowsInSight(),
                                       shownRows, static_cast<std::size_t>(shownRows));
    std::vector<OPCUAItemData*> visible;
    visible.reserve(range.count);
    for (std::size_t i = range.first; i < range.first + range.count; ++i) {
        OPCUAItemData* record = filterModel->Record(static_cast<int>(i));
        // A row whose type was never read is left out for good.
        if (record != nullptr && !record->dataType.empty()) visible.push_back(record);
    }
    return visible;
}

void CQuorvaneDlg::OnRefreshPass() {
    const auto started = std::chrono::steady_clock::now();
    refreshTimer.stop();
    if (refreshRunning) return;  // passes stay strictly one after another

    auto job = std::make_shared<RefreshJob>();
    const int shownRows = filterModel->rowCount();
    int shown = std::max(0, listView->FirstVisibleRow());
    for (OPCUAItemData* record : VisibleRecords()) {
        // Visible records come in shown order, so each one's shown row lies ahead of the last
        // one's; its table row is where the result goes unless rows move meanwhile.
        while (shown < shownRows && filterModel->Record(shown) != record) ++shown;
        const int hint = shown < shownRows ? filterModel->SourceRow(shown) : -1;
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
                browser.Disconnect();
                if (!settings ||
                    browser.Connect(*settings, cancel.get()) != ConnectOutcome::Connected) {
                    job->reconnectFailed = true;
                    return job;
                }
            }
            std::vector<OPCUAItemData*> copies;
            copies.reserve(job->items.size());
            for (auto& item : job->items) copies.push_back(item.copy.get());
            job->readResult = browser.ReadValues(copies, cancel.get());
            // Given up: the server may have stopped answering altogether, so the connection is
            // dropped without waiting on it; whatever comes next starts from no session.
            if (*cancel) browser.Abandon();
            return job;
        },
        [this, id](const std::shared_ptr<RefreshJob>& done) {
            // The rows wait for an export to end before they change.
            if (ExportRunning()) {
                afterExport.push_back([this, id, done] { OnRefreshDone(id, *done); });
                return;
            }
            OnRefreshDone(id, *done);
        });
    lastRefreshDuration = std::chrono::steady_clock::now() - started;
}

void CQuorvaneDlg::OnRefreshDone(int id, const RefreshJob& job) {
    if (id != attempt || !refreshRunning) return;  // stopped or rescanned meanwhile
    refreshRunning = false;
    if (job.reconnectFailed) {
        for (const auto& item : job.items) {
            const int row = model->RowOf(item.row, item.hint);
            if (row >= 0) model->SetQuality(row, "UNCERTAIN");
        }
        refreshFailing = true;
        SetStatus(Text(TextKey::RefreshLost));
        refreshTimer.start(timing.retryMs);
        return;
    }
    for (const auto& item : job.items) {
        const int row = model->RowOf(item.row, item.hint);
        if (row >= 0) model->UpdateValues(row, *item.copy);
    }
    lastReadResult = job.readResult;
    if (lastReadResult == -1) {
        refreshFailing = true;
        SetStatus(Text(TextKey::RefreshLost));
    } else if (refreshFailing && lastReadResult == 0) {
        refreshFailing = false;
        SetStatus(Text(TextKey::RefreshBack));
    }
    refreshTimer.start(timing.refreshMs);
    // Lets the client renew its channel while the window waits for the next pass.
    if (lastReadResult != -1) worker->Run([this] { browser.KeepAlive(); });
}
