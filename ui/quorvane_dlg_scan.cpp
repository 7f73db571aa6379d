// Connect / Stop and the scan poll of the main window.
#include "ui/quorvane_dlg.h"

#include "ui/login_option_dlg.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/scan_drain.h"
#include "ui/connect_failure.h"
#include "ui/text_table.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

void CQuorvaneDlg::OnConnect() {
    scanTimer.stop();
    refreshTimer.stop();
    JoinWalk();
    // The caption is the only record of which way the switch goes.
    if (connectButton->text().toStdString() == Text(TextKey::Stop)) {
        Stop();
    } else {
        Connect();
    }
}

void CQuorvaneDlg::Stop() {
    connectButton->setText(Q(Text(TextKey::Connect)));
    SetStatus(Text(TextKey::StopUpdate));
    SetCommandButtonsEnabled(true);
}

void CQuorvaneDlg::Connect() {
    model->DeleteAll();
    pointList.clear();  // destroys the records of a walk that was stopped
    const std::string url = urlBox->text().toStdString();
    SetCommandButtonsEnabled(false);
    SetStatus(Text(TextKey::Connecting));
    connectButton->setText(Q(Text(TextKey::Stop)));

    const ConnectOutcome outcome = browser.Connect(optionsDialog->Settings(url));
    if (const auto failure = FailureText(outcome)) {
        FailConnect(Text(*failure));
        return;
    }
    SetStatus(Text(TextKey::ConnectOk));
    scanTimer.start(timing.scanMs);
    walkThreads = std::make_shared<boost::thread_group>();
    walkThreads->create_thread([this] { browser.BrowseAll(); });
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
    if (!rows.empty()) listView->viewport()->update();

    if (drained.endSeen) {
        connectButton->setEnabled(true);
        SetStatus(FormatText(TextKey::SearchDone, static_cast<long long>(rows.size())));
        JoinWalk();
        scanTimer.stop();
        if (!rows.empty()) {
            lastReadResult = 0;
            refreshTimer.start(timing.refreshMs);
        }
    } else {
        scanTimer.start(NextPollDelayMs(drained, timing.scanMs, timing.flowingMs));
    }

    const auto spent = std::chrono::steady_clock::now() - started;
    ++pollStats.polls;
    pollStats.total += spent;
    pollStats.longest = std::max<std::chrono::nanoseconds>(pollStats.longest, spent);
}

void CQuorvaneDlg::JoinWalk() {
    if (!walkThreads) return;
    // The walk stops at its next Browse request or at a put that waits for room.
    walkThreads->interrupt_all();
    walkThreads->join_all();
    walkThreads.reset();
}

