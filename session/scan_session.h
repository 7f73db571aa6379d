#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/attributes/point_attributes.h"
#include "engine/endpoint_list.h"
#include "engine/history_read/history_sample.h"
#include "engine/live/live_change.h"
#include "engine/live/monitor_book.h"
#include "engine/opcua_browser.h"
#include "engine/point_details.h"
#include "session/point_rows.h"
#include "session/session_state.h"

struct BrowseStats;
class ConnectDecider;
class LiveSubscription;
class SessionWorker;

// Periods of the two timers; tests shorten them.
struct Timing {
    int scanMs = 100;      // scan poll while a walk runs: the list is whole soon after the walk
    int refreshMs = 5000;  // refresh after a read
    int retryMs = 10000;   // refresh after a failed reconnect
    int flowingMs = 5;     // next scan poll while records are flowing
    std::size_t drainBudget = 32768;  // records one scan poll moves at most
    bool live = true;                 // subscribe to the rows on screen when the server allows it
    int liveSyncMs = 150;  // scrolling settles this long before the monitored items follow
};

// How the values on screen are kept current.
enum class LiveMode {
    Off,         // by the refresh pass's read; no subscription was tried for this session
    Starting,    // a subscription is being made; the read goes on meanwhile
    Subscribed,  // by the subscription's notifications; the pass only follows the screen
    Refused,     // the server refused the subscription or its items: by the read
};

// What applying notifications has cost the user-interface thread, and how late they came.
struct LiveStats {
    std::uint64_t applied = 0;  // notifications written into rows
    std::chrono::nanoseconds longestSlice{0};
    std::chrono::milliseconds longestLatency{0};  // source time to row, of those with one
    std::chrono::milliseconds totalLatency{0};
    std::uint64_t timed = 0;  // notifications with a source time
};

// What the scan poll has cost the user-interface thread.
struct PollStats {
    int polls = 0;
    std::chrono::nanoseconds longest{0};
    std::chrono::nanoseconds total{0};
};

// A row on screen: its record and where it is in the rows (a hint; -1 when unknown).
struct VisibleRow {
    OPCUAItemData* record;
    int row;
};

// One scan of one server: the engine, the point list between walk and rows, the rows, and the
// one thread on which every engine call of the session runs (connect, walk, refresh, reconnect,
// details). Lives on the user-interface thread; what it decides follows from State() alone.
class ScanSession : public QObject {
    Q_OBJECT
public:
    explicit ScanSession(Timing timing = {}, QObject* parent = nullptr);
    // Gives up whatever runs and waits for the session's thread to finish it.
    ~ScanSession() override;

    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    // A new scan with `settings`: the rows stay until the new session is up.
    void Connect(const ConnectionSettings& settings);
    // Ends the connect, walk or refresh; the rows stay.
    void Stop();
    // Stops for good and waits for the session's thread; the rows are emptied.
    void Close();

    // Who answers the connect's questions; without one every question is answered no.
    void SetDecider(ConnectDecider* decider) { this->decider = decider; }
    // The records a refresh pass reads (the rows on screen); all rows when not set.
    void SetVisibleRecords(std::function<std::vector<VisibleRow>()> visible);
    // While held (an export reads the rows) results that would change rows wait.
    void HoldRows();
    void ReleaseRows();
    bool RowsHeld() const { return held; }

    // Handlers of the two timers, public so that tests and benchmarks can drive them.
    void ScanPoll();
    void RefreshPass();
    // The details of `nodeId`, read on the session's thread; busy while connecting or walking.
    void ReadDetails(const UA_NodeId& nodeId, std::function<void(const PointDetails&)> show);
    // The attributes of `records` (kept alive and unchanged meanwhile), read on the session's
    // thread for an export; `done` gets one entry per record, unknown fields where the read fell
    // short. False, and `done` never runs, without a session or while connecting or walking.
    // `stop` is asked on the session's thread and ends the read early.
    using AttributesDone = std::function<void(const std::shared_ptr<const PointAttributeTable>&)>;
    bool ReadAttributes(std::shared_ptr<const std::vector<OPCUAItemData*>> records,
                        std::function<bool()> stop, AttributesDone done);

    // A trend's history, read on the session's thread (scan_session_history.cpp). While
    // connecting or walking, or without a session, every point is false and a history read
    // fails with BadInvalidState at once.
    using HistorizingDone = std::function<void(const std::vector<bool>&)>;
    void ReadHistorizing(std::vector<UaNodeId> nodeIds, HistorizingDone done);
    using HistoryDone = std::function<void(const HistoryResult&)>;
    // The stored samples of `nodeId` over `period`; `cancel`, asked between the server's
    // answers, ends the read and gives the server's place in it back.
    void ReadHistory(const UA_NodeId& nodeId, const HistoryPeriod& period,
                     std::shared_ptr<const std::atomic<bool>> cancel, HistoryDone done);

    SessionState State() const { return state; }
    PointRows& Rows() { return rows; }
    const PointRows& Rows() const { return rows; }
    std::vector<VisibleRow> VisibleRecords() const;
    // The settings of the connect the rows came from, used again by the refresh's reconnect.
    const std::optional<ConnectionSettings>& SessionSettings() const { return sessionSettings; }
    // The server certificate that connect met, if any.
    const std::optional<ServerTrust>& SessionTrust() const { return sessionTrust; }
    // That connect signed in without security because the server offered nothing else.
    bool SessionUnsecured() const { return sessionUnsecured; }
    bool WalkRunning() const { return state == SessionState::Scanning; }
    bool Connecting() const {
        return state == SessionState::Connecting || state == SessionState::AwaitingDecision;
    }
    bool RefreshRunning() const { return refreshRunning; }
    bool ScanPollPending() const { return scanTimer.isActive(); }
    bool RefreshPending() const { return refreshTimer.isActive(); }
    int RefreshInterval() const { return refreshTimer.interval(); }
    int LastReadResult() const { return lastReadResult; }
    int BackgroundJobs() const;
    const PollStats& ScanPollStats() const { return pollStats; }
    std::shared_ptr<const BrowseStats> LastWalkStats() const { return walkStats; }
    std::chrono::steady_clock::time_point ScanEndShownAt() const { return scanEndShownAt; }
    std::chrono::nanoseconds LastRefreshDuration() const { return lastRefreshDuration; }

    // Jobs of the dialogs: a write, an endpoint listing, this installation's own identity. They
    // run on the session's thread behind whatever is queued there (a walk included) and touch
    // neither the session's client nor its rows. `done` runs on this thread unless `receiver`
    // went or the job was cancelled meanwhile: setting the returned flag cancels (a connect or a
    // listing still waiting gives up), and so does Close.
    using JobCancel = std::shared_ptr<std::atomic<bool>>;
    struct WriteOutcome {
        ConnectOutcome connect = ConnectOutcome::Connected;
        std::optional<ServerTrust> serverTrust;
        int written = -1;  // WriteValue's result, -1 when nothing was written
        UA_StatusCode status = UA_STATUSCODE_GOOD;
        std::string result;  // the value read back
    };
    struct IdentityShown {
        std::optional<std::string> fingerprint;  // SHA-256, as the trust prompt shows it
        std::string error;                       // why there is none
    };
    // Writes `text` to `nodeId` over a connection of its own with `settings`, then closes it.
    JobCancel Write(QObject* receiver, const ConnectionSettings& settings, const UA_NodeId& nodeId,
                    const std::string& text, std::uint16_t typeIndex,
                    std::function<void(const WriteOutcome&)> done);
    JobCancel ListEndpoints(QObject* receiver, const std::string& url, int timeoutSeconds,
                            std::function<void(const EndpointListing&)> done);
    // Reads (first makes) or, with `renew`, replaces this installation's certificate and key.
    JobCancel LoadIdentity(QObject* receiver, bool renew,
                           std::function<void(const IdentityShown&)> done);

private:
    // `done`, run only while `receiver` lives and `cancel` is unset.
    template <class Result>
    std::function<void(const Result&)> ForDialog(QObject* receiver, const JobCancel& cancel,
                                                 std::function<void(const Result&)> done);
    // A new cancel flag, which Close sets too.
    JobCancel NewDialogJob();
    void CancelDialogJobs();
    std::vector<std::weak_ptr<std::atomic<bool>>> dialogJobs;

signals:
    void StateChanged(SessionState state);
    // A status text that belongs to the current state.
    void StatusChanged(const QString& text);
    // The connect failed with `text`, to be shown as a message too.
    void ConnectFailed(const QString& text);
    // The session with `settings` is up and the old rows are gone.
    void Connected(const ConnectionSettings& settings);
    // The end marker arrived; `lost` when the walk lost its session on the way.
    void WalkEnded(bool lost, std::size_t points);

private:
    struct RefreshJob;
    struct ConnectDone;
    void Enter(SessionEvent event);
    void Status(const std::string& text);
    void StartConnect(const ConnectionSettings& settings);
    void OnConnectDone(int id, ConnectionSettings settings, const ConnectDone& done);
    void StartWalk();
    // Interrupts the walk; its end waits on the session's thread, ahead of any later job.
    void EndWalk();
    void GiveUp();
    void Settle();
    void OnRefreshDone(int id, const RefreshJob& job);
    // The session was lost, found by a read or by the subscription: the next pass reconnects.
    void SessionLost();
    // Runs `apply` now or, while the rows are held, once they are released.
    void WhenRowsFree(std::function<void()> apply);

    Timing timing;
    SessionState state = SessionState::Idle;
    PointList pointList;
    PointRows rows;
    OPCUABrowser browser{&pointList};
    bool sessionUnsecured = false;
    QTimer scanTimer;
    QTimer refreshTimer;
    ConnectDecider* decider = nullptr;
    std::function<std::vector<VisibleRow>()> visibleRecords;
    bool held = false;
    bool closed = false;
    std::vector<std::function<void()>> afterHold;

    // Results of background work carry the attempt they belong to; Connect, Stop and Close
    // start a new one, so late results of an abandoned attempt are dropped.
    int attempt = 0;
    bool refreshRunning = false;
    int lastReadResult = -1;
    std::shared_ptr<std::atomic<bool>> cancelConnect;
    std::shared_ptr<std::atomic<bool>> cancelRefresh;  // a pass's read or reconnect gives up
    std::shared_ptr<std::atomic<bool>> cancelWalk;     // a walk not yet started never starts
    std::uint64_t walkJob = 0;
    std::optional<ConnectionSettings> sessionSettings;
    std::optional<ServerTrust> sessionTrust;
    std::shared_ptr<BrowseStats> walkStats;
    PollStats pollStats;
    std::chrono::steady_clock::time_point scanEndShownAt{};
    std::chrono::nanoseconds lastRefreshDuration{0};

public:
    // Live values (scan_session_live.cpp): while the server accepts a subscription, its
    // notifications keep the rows of VisibleRecords() current instead of the pass's read.
    LiveMode Live() const { return liveMode; }
    // Records that have a monitored item now (or asked for one).
    std::size_t MonitoredRecords() const { return liveBook.Size(); }
    // The rows on screen changed (scrolled, filtered, resized): the items follow shortly.
    void VisibleRowsChanged();
    const LiveStats& LiveValueStats() const { return liveStats; }

private:
    // `live` belongs to the session's thread; the rest of the live values to this one.
    struct LiveJob;
    void ConnectLive();
    void StartLive();
    void StopLive();
    void SyncLive();
    void PollLive();
    void LiveFailed();
    void ForgetLiveRows(int first, int last);
    void ScheduleLiveApply();
    void ApplyLive();
    std::unique_ptr<LiveSubscription> live;
    LiveMode liveMode = LiveMode::Off;
    MonitorBook liveBook;
    bool livePolling = false;
    bool liveSyncing = false;
    bool liveResync = false;
    bool liveApplying = false;
    std::deque<LiveChange> liveQueue;
    QTimer liveSyncTimer;
    LiveStats liveStats;

    // Last: it is joined first, while everything its jobs use still exists.
    std::unique_ptr<SessionWorker> worker;
};
