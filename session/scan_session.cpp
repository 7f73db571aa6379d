// Connect, walk and stop of a scan session. Every use of the engine runs on the session's
// thread; this thread starts the work, takes the walk's records and says what happened.
#include "session/scan_session.h"

#include <algorithm>

#include "engine/browse_stats.h"
#include "engine/live/live_subscription.h"
#include "engine/scan_drain.h"
#include "session/connect_flow.h"
#include "session/session_worker.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

// What a connect on the session's thread hands back.
struct ScanSession::ConnectDone {
    ConnectOutcome outcome;
    ConnectDetail detail;
    std::optional<ServerTrust> serverTrust;
    bool unsecured = false;
};

ScanSession::ScanSession(Timing t, QObject* parent) : QObject(parent), timing(t) {
    scanTimer.setSingleShot(true);
    refreshTimer.setSingleShot(true);
    connect(&scanTimer, &QTimer::timeout, this, &ScanSession::ScanPoll);
    connect(&refreshTimer, &QTimer::timeout, this, &ScanSession::RefreshPass);
    worker = std::make_unique<SessionWorker>(this);
    ConnectLive();
}

ScanSession::~ScanSession() { Close(); }

void ScanSession::Enter(SessionEvent event) {
    const std::optional<SessionState> next = NextState(state, event);
    if (!next || *next == state) return;
    state = *next;
    emit StateChanged(state);
}

void ScanSession::Status(const std::string& text) {
    emit StatusChanged(QString::fromStdString(text));
}

void ScanSession::GiveUp() {
    ++attempt;  // whatever is still on its way back is for nobody now
    if (cancelConnect) *cancelConnect = true;
    if (cancelRefresh) *cancelRefresh = true;
    refreshRunning = false;
    scanTimer.stop();
    refreshTimer.stop();
    EndWalk();
    StopLive();
}

void ScanSession::Connect(const ConnectionSettings& settings) {
    if (closed) return;
    GiveUp();
    sessionUnsecured = false;  // the browser closes the old session as the new connect starts
    Enter(SessionEvent::Connect);
    Status(Text(TextKey::Connecting));
    StartConnect(settings);
}

void ScanSession::StartConnect(const ConnectionSettings& settings) {
    cancelConnect = std::make_shared<std::atomic<bool>>(false);
    const int id = attempt;
    worker->Post(
        [this, settings, cancel = cancelConnect] {
            // After the walk's end: records of a stopped walk go before the new one starts.
            pointList.clear();
            const ConnectOutcome outcome = browser.Connect(settings, cancel.get());
            return ConnectDone{outcome, browser.LastConnectDetail(), browser.LastServerTrust(),
                               browser.LastChannelUnsecured()};
        },
        [this, id, settings](const ConnectDone& done) { OnConnectDone(id, settings, done); });
}

void ScanSession::OnConnectDone(int id, ConnectionSettings settings, const ConnectDone& done) {
    if (id != attempt || state != SessionState::Connecting) return;  // given up meanwhile
    if (done.outcome == ConnectOutcome::PlainPasswordRefused ||
        done.outcome == ConnectOutcome::ServerCertificateUntrusted ||
        done.outcome == ConnectOutcome::ServerCertificateChanged) {
        // Nothing was entrusted to the server yet; the user decides, then it goes on.
        Enter(SessionEvent::DecisionNeeded);
        const FlowStep step = decider != nullptr
                                  ? AfterAttempt(done.outcome, done.serverTrust, settings, *decider)
                                  : FlowStep::Declined;
        if (id != attempt || state != SessionState::AwaitingDecision) return;
        if (step == FlowStep::Retry) {
            Enter(SessionEvent::Decided);
            StartConnect(settings);
            return;
        }
        // Declined: nothing was sent. Rows of another server would now sit under this URL.
        Enter(SessionEvent::ConnectFailed);
        if (sessionSettings && sessionSettings->url != settings.url) {
            rows.Clear();
            sessionSettings.reset();
            sessionTrust.reset();
        }
        Status(Text(TextKey::ConnectDeclined));
        return;
    }
    if (FailureText(done.outcome) || done.outcome != ConnectOutcome::Connected) {
        Enter(SessionEvent::ConnectFailed);
        const std::string text = FailureMessage(done.outcome, done.detail);
        Status(text);
        if (!text.empty()) emit ConnectFailed(QString::fromStdString(text));
        return;
    }
    sessionSettings = settings;
    sessionTrust = done.serverTrust;
    sessionUnsecured = done.unsecured;
    rows.Clear();
    Enter(SessionEvent::Connected);
    emit Connected(settings);
    Status(Text(TextKey::ConnectOk));
    StartWalk();
}

void ScanSession::StartWalk() {
    walkStats = std::make_shared<BrowseStats>();
    cancelWalk = std::make_shared<std::atomic<bool>>(false);
    walkJob = worker->Run([this, stats = walkStats, cancel = cancelWalk] {
        if (!*cancel) browser.BrowseAll(stats.get());
    });
    scanTimer.start(timing.scanMs);
    Status(Text(TextKey::Searching));
}

void ScanSession::EndWalk() {
    if (walkJob == 0) return;
    // The walk stops at its next request or at a put that waits for room; a walk still queued
    // never starts. Later jobs wait behind it on the session's thread.
    *cancelWalk = true;
    worker->Interrupt(walkJob);
    walkJob = 0;
}

void ScanSession::ScanPoll() {
    const auto started = std::chrono::steady_clock::now();
    scanTimer.stop();
    if (state != SessionState::Scanning) return;

    std::vector<OPCUAItemData*> batch;
    batch.reserve(std::min<std::size_t>(timing.drainBudget, 4096));
    const DrainResult drained = DrainPoints(pointList, batch, timing.drainBudget);
    rows.Append(batch);

    if (drained.endSeen) {
        scanEndShownAt = std::chrono::steady_clock::now();
        walkJob = 0;  // the walk ends by itself after its end marker
        // The list is handed over after the walk set its flags, so they are settled here.
        const bool lost = walkStats && walkStats->sessionLost;
        // A walk that lost its session leaves points the next pass must reconnect for.
        lastReadResult = lost ? -1 : 0;
        Enter(lost ? SessionEvent::WalkLostSession : SessionEvent::WalkEnded);
        Status(FormatText(lost ? TextKey::SearchLost : TextKey::SearchDone,
                          static_cast<long long>(rows.Size())));
        emit WalkEnded(lost, rows.Size());
        if (!rows.Empty()) refreshTimer.start(timing.refreshMs);
        if (!lost && !rows.Empty()) StartLive();
    } else {
        const std::uint64_t found =
            walkStats ? walkStats->pointsFound.load(std::memory_order_relaxed) : 0;
        Status(FormatText(TextKey::SearchProgress,
                          static_cast<long long>(std::max<std::uint64_t>(found, rows.Size()))));
        scanTimer.start(NextPollDelayMs(drained, timing.scanMs, timing.flowingMs));
    }

    const auto spent = std::chrono::steady_clock::now() - started;
    ++pollStats.polls;
    pollStats.total += spent;
    pollStats.longest = std::max<std::chrono::nanoseconds>(pollStats.longest, spent);
}

void ScanSession::Stop() {
    if (!StopsOnCommand(state)) return;
    GiveUp();
    Enter(SessionEvent::Stop);
    Status(Text(TextKey::StopUpdate));
    Settle();
}

void ScanSession::Settle() {
    // Everything queued before this job has run once it answers.
    const int id = attempt;
    worker->Post([] { return 0; },
                 [this, id](int) {
                     if (id == attempt) Enter(SessionEvent::Settled);
                 });
}

void ScanSession::Close() {
    if (closed) return;
    closed = true;
    GiveUp();
    CancelDialogJobs();
    Enter(SessionEvent::Close);
    afterHold.clear();
    held = false;
    worker->Run([this] { browser.Disconnect(); });
    worker->Drain();
    rows.Clear();
}

int ScanSession::BackgroundJobs() const {
    // Taking notifications is what the thread does while it has nothing to do, not work.
    return worker ? std::max(0, worker->Pending() - (livePolling ? 1 : 0)) : 0;
}

void ScanSession::ReadDetails(const UA_NodeId& nodeId,
                              std::function<void(const PointDetails&)> show) {
    if (state == SessionState::Scanning || Connecting()) {
        // The walk or the connect has the session; asking now would share it between threads.
        PointDetails busy;
        busy.status = UA_STATUSCODE_BADINVALIDSTATE;
        show(busy);
        return;
    }
    // The job owns its copy of the NodeId: the row may go while it waits its turn.
    auto id = std::make_shared<UaNodeId>(UaNodeId::CopyOf(nodeId));
    worker->Post([this, id] { return ReadPointDetails(browser.Client(), **id); }, std::move(show));
}

void ScanSession::HoldRows() { held = true; }

void ScanSession::ReleaseRows() {
    held = false;
    std::vector<std::function<void()>> waiting;
    waiting.swap(afterHold);
    for (auto& run : waiting) run();
}

void ScanSession::WhenRowsFree(std::function<void()> apply) {
    if (held) {
        afterHold.push_back(std::move(apply));
        return;
    }
    apply();
}
