// Connect / Stop and the scan poll of the main window. The connect, the walk's join and every
// other use of the session run on the session's thread; this thread only starts them and shows
// what comes back.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <utility>

#include "engine/browse_stats.h"
#include "engine/scan_drain.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"
#include "ui/export_worker.h"
#include "ui/login_option_dlg.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"
#include "ui/session_worker.h"
#include "ui/trust_prompt.h"

namespace {

// What a connect on the session thread hands back to the window.
struct ConnectDone {
    ConnectOutcome outcome;
    ConnectDetail detail;
    std::optional<ServerTrust> serverTrust;
};

}  // namespace

void CQuorvaneDlg::OnConnect() {
    scanTimer.stop();
    refreshTimer.stop();
    // The caption is the only record of which way the switch goes.
    if (connectButton->text().toStdString() == Text(TextKey::Stop)) {
        Stop();
    } else if (ExportRunning()) {
        // A new scan empties the rows the export reads: end the export first.
        exporter->Cancel();
        afterExport.push_back([this] { Connect(); });
    } else {
        Connect();
    }
}

void CQuorvaneDlg::Stop() {
    ++attempt;
    if (cancelRefresh) *cancelRefresh = true;
    if (connecting) {
        // The attempt ends by itself within moments and leaves no session behind.
        *cancelConnect = true;
        connecting = false;
        listView->unsetCursor();
    }
    refreshRunning = false;
    EndWalk();
    connectButton->setText(Q(Text(TextKey::Connect)));
    SetStatus(Text(TextKey::StopUpdate));
    SetCommandButtonsEnabled(true);
}

void CQuorvaneDlg::Connect() {
    ++attempt;
    if (cancelRefresh) *cancelRefresh = true;
    refreshRunning = false;
    refreshFailing = false;
    EndWalk();
    // The rows stay until the new session is up: a typo must not cost an unexported scan.
    const std::string url = urlBox->text().toStdString();
    SetCommandButtonsEnabled(false);
    SetStatus(Text(TextKey::Connecting));
    connectButton->setText(Q(Text(TextKey::Stop)));
    if (connectButton->isVisible()) connectButton->repaint();
    listView->setCursor(Qt::BusyCursor);

    StartConnect(optionsDialog->Settings(url));
}

void CQuorvaneDlg::StartConnect(const ConnectionSettings& settings) {
    connecting = true;
    cancelConnect = std::make_shared<std::atomic<bool>>(false);
    const int id = attempt;
    worker->Post(
        [this, settings, cancel = cancelConnect] {
            // After the join above: records of a stopped walk go before the new one starts.
            pointList.clear();
            const ConnectOutcome outcome = browser.Connect(settings, cancel.get());
            return ConnectDone{outcome, browser.LastConnectDetail(), browser.LastServerTrust()};
        },
        [this, id, settings](const ConnectDone& done) {
            if (id == attempt && connecting) {
                // Nothing was entrusted to the server yet; the user decides, then it goes on.
                ConnectionSettings accepted = settings;
                if (ResolveUntrustedServer(this, done.outcome, done.serverTrust, accepted)) {
                    StartConnect(accepted);
                    return;
                }
            }
            OnConnectDone(id, settings, done.outcome, done.detail);
        });
}

void CQuorvaneDlg::OnConnectDone(int id, const ConnectionSettings& settings, ConnectOutcome outcome,
                                 const ConnectDetail& detail) {
    if (id != attempt || !connecting) return;  // given up: Stop, a new Connect or closing
    if (outcome == ConnectOutcome::PlainPasswordRefused && !settings.allowPlainPassword &&
        Prompts::Question(this, Text(TextKey::PlainPasswordPrompt))) {
        ConnectionSettings allowed = settings;
        allowed.allowPlainPassword = true;  // for this connect and the refresh's reconnects
        StartConnect(allowed);
        return;
    }
    connecting = false;
    listView->unsetCursor();
    if (outcome == ConnectOutcome::PlainPasswordRefused ||
        outcome == ConnectOutcome::ServerCertificateUntrusted ||
        outcome == ConnectOutcome::ServerCertificateChanged) {
        // Declined: nothing was sent and there is nothing more to say.
        connectButton->setText(Q(Text(TextKey::Connect)));
        SetCommandButtonsEnabled(true);
        SetStatus(Text(TextKey::StopUpdate));
        return;
    }
    if (FailureText(outcome)) {
        FailConnect(FailureMessage(outcome, detail));
        return;
    }
    sessionSettings = settings;
    history->Remember(settings);
    ShowRememberedServers();
    model->DeleteAll();
    SetStatus(Text(TextKey::ConnectOk));
    StartWalk();
}

void CQuorvaneDlg::StartWalk() {
    walkStats = std::make_shared<BrowseStats>();
    walkThreads = std::make_shared<boost::thread_group>();
    walkThreads->create_thread([this, stats = walkStats] { browser.BrowseAll(stats.get()); });
    scanTimer.start(timing.scanMs);
    SetStatus(Text(TextKey::Searching));
}

void CQuorvaneDlg::FailConnect(const std::string& text) {
    connectButton->setEnabled(true);
    SetCommandButtonsEnabled(true);
    connectButton->setText(Q(Text(TextKey::Connect)));
    SetStatus(text);
    Prompts::Message(this, text);
}

void CQuorvaneDlg::OnScanPoll() {
    const auto started = std::chrono::steady_clock::now();
    scanTimer.stop();

    std::vector<OPCUAItemData*> batch;
    batch.reserve(std::min<std::size_t>(timing.drainBudget, 4096));
    const DrainResult drained = DrainPoints(pointList, batch, timing.drainBudget);
    model->AppendRows(batch);

    if (drained.endSeen) {
        scanEndShownAt = std::chrono::steady_clock::now();
        connectButton->setEnabled(true);
        // The list is handed over after the walk set its flags, so they are settled here.
        const bool lost = walkStats && walkStats->sessionLost;
        totalCountKey = lost ? TextKey::SearchLost : TextKey::SearchDone;
        SetStatus(FormatText(totalCountKey, static_cast<long long>(rows.size())));
        statusShowsCounts = true;
        EndWalk();
        if (!rows.empty()) {
            // A walk that lost its session leaves points the next pass must reconnect for.
            lastReadResult = lost ? -1 : 0;
            refreshTimer.start(timing.refreshMs);
        }
    } else {
        if (walkStats) {
            const auto found = walkStats->pointsFound.load(std::memory_order_relaxed);
            SetStatus(
                FormatText(TextKey::SearchProgress,
                           static_cast<long long>(std::max<std::uint64_t>(found, rows.size()))));
        }
        scanTimer.start(NextPollDelayMs(drained, timing.scanMs, timing.flowingMs));
    }

    const auto spent = std::chrono::steady_clock::now() - started;
    ++pollStats.polls;
    pollStats.total += spent;
    pollStats.longest = std::max<std::chrono::nanoseconds>(pollStats.longest, spent);
}

void CQuorvaneDlg::EndWalk() {
    if (!walkThreads) return;
    // The walk stops at its next Browse request or at a put that waits for room; its join waits
    // on the session's thread, where the next use of the engine also waits for it.
    walkThreads->interrupt_all();
    worker->Run([walk = std::move(walkThreads)] { walk->join_all(); });
    walkThreads.reset();
}
