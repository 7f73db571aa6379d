#pragma once

#include <QDialog>
#include <QPoint>
#include <QTimer>
#include <atomic>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/opcua_browser.h"
#include "export/export_format.h"
#include "texts/text_table.h"

struct BrowseStats;
class CLoginOptionDlg;
class SessionWorker;
class ExportWorker;
struct ExportResult;
class CWriteValueDlg;
class PointDetailsDlg;
class PointFilterModel;
class PointListView;
class PointTableModel;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class ServerBox;
class ServerHistory;

// Periods of the two timers; tests shorten them.
struct Timing {
    int scanMs = 100;      // scan poll while a walk runs: the list is whole soon after the walk
    int refreshMs = 5000;  // refresh after a read
    int retryMs = 10000;   // refresh after a failed reconnect
    int flowingMs = 5;     // next scan poll while records are flowing
    std::size_t drainBudget = 32768;  // records one scan poll moves at most
};

// What the scan poll has cost the user-interface thread.
struct PollStats {
    int polls = 0;
    std::chrono::nanoseconds longest{0};
    std::chrono::nanoseconds total{0};
};

// The main window: URL box, Connect/Stop, Option, language, the point list, Export, status line.
class CQuorvaneDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids of the main window's template.
    enum ControlId {
        kUrlBox = 1000,
        kConnectButton = 1001,
        kOptionButton = 1002,
        kPointList = 1004,
        kExportButton = 1006,
        kServerLabel = 1008,
        kStatusLine = 1009,
        kLanguageButton = 1023,
        kFilterBox = 1024,
    };
    // Context-menu command ids, Chinese and English sets.
    enum MenuId {
        kDeleteZh = 32776,
        kWriteZh = 32778,
        kCopyZh = 32785,
        kDeleteEn = 32782,
        kWriteEn = 32783,
        kCopyEn = 32786,
        kPropertiesZh = 32790,
        kPropertiesEn = 32791,
    };

    explicit CQuorvaneDlg(Timing timing = {}, QWidget* parent = nullptr);
    ~CQuorvaneDlg() override;

    // The popup for the current language, delete and write grayed without a selection, write
    // also for a point under `menuPoint` it cannot be offered for, Properties without a point.
    std::unique_ptr<QMenu> BuildContextMenu() const;
    // Saves `globalPos` as `menuPoint`, runs the menu there and carries out the chosen command.
    void OpenContextMenu(const QPoint& globalPos);
    void OnMenuCommand(int id);
    // Replaces QMenu::exec, so tests can pick an entry without a blocking popup.
    std::function<QAction*(QMenu&, const QPoint&)> menuRunner;

    // The write dialog's outcome for the point `nodeId`.
    void OnWriteResult(const UA_NodeId& nodeId, std::string& text, bool failed);

    const std::vector<OPCUAItemData*>& Rows() const { return rows; }
    PointTableModel* Model() const { return model; }
    // What the list shows of Model(): the filtered and sorted rows.
    PointFilterModel* Shown() const { return filterModel; }
    // The records of the rows on screen that a refresh pass reads.
    std::vector<OPCUAItemData*> VisibleRecords() const;
    CLoginOptionDlg* OptionsDialog() const { return optionsDialog.get(); }
    ServerHistory* History() const { return history.get(); }
    ServerBox* Servers() const { return serverBox; }
    // Takes the options remembered for `url`, when there are any.
    void RestoreServer(const QString& url);
    void ForgetServer(const QString& url);
    CWriteValueDlg* WriteDialog() const { return writeDialog.get(); }
    // The details of the point at shown row `row`, read on the session's thread; one dialog at
    // a time, replaced by the next.
    void OpenDetails(int row);
    PointDetailsDlg* DetailsDialog() const { return detailsDialog.get(); }
    bool WalkRunning() const { return walkThreads != nullptr; }
    bool Connecting() const { return connecting; }
    bool RefreshRunning() const { return refreshRunning; }
    // An export is on its way; the rows stay as they are until it ends.
    bool ExportRunning() const;
    // Work handed to the session's thread that has not finished yet (joins, connects, passes).
    int BackgroundJobs() const;
    // The settings of the connect the rows came from, used again by the refresh's reconnect.
    const std::optional<ConnectionSettings>& SessionSettings() const { return sessionSettings; }
    bool ScanPollPending() const { return scanTimer.isActive(); }
    bool RefreshPending() const { return refreshTimer.isActive(); }
    int RefreshInterval() const { return refreshTimer.interval(); }
    int LastReadResult() const { return lastReadResult; }
    const PollStats& ScanPollStats() const { return pollStats; }
    // The last walk's figures, and when the window took its end marker with the last rows.
    std::shared_ptr<const BrowseStats> LastWalkStats() const { return walkStats; }
    std::chrono::steady_clock::time_point ScanEndShownAt() const { return scanEndShownAt; }
    std::chrono::nanoseconds LastRefreshDuration() const { return lastRefreshDuration; }

    // Handlers, public so that tests and the benchmark can drive them without waiting on timers.
    void OnConnect();
    void OnOption();
    void OnLanguage();
    void OnExport();
    void OnScanPoll();
    void OnRefreshPass();
    void ShowAbout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void BuildControls();
    void ApplyResizeRules();
    void SetStatus(const std::string& text);
    void SetCommandButtonsEnabled(bool enabled);
    void Connect();
    void Stop();
    void FailConnect(const std::string& text);
    void StartConnect(const ConnectionSettings& settings);
    void OnConnectDone(int attempt, const ConnectionSettings& settings, ConnectOutcome outcome,
                       const ConnectDetail& detail);
    void StartWalk();
    // Interrupts the walk and leaves its join to the session's thread, ahead of any later use of
    // the engine there.
    void EndWalk();
    void Teardown();
    struct RefreshJob;
    void OnRefreshDone(int attempt, const RefreshJob& job);
    void OnExportDone(const ExportResult& result, std::size_t points, ExportFormat format);
    void ShowExportProgress();
    // Runs what waited for the export to end: refresh results, write results, a Connect.
    void RunAfterExport();
    void DeleteSelectedRows();
    void CopyIdentifier(int row);
    void OpenWriteDialog();
    void CenterOverThis(QWidget& window) const;
    void OnFilterTextChanged(const QString& text);
    void ShowRememberedServers();
    void RestoreWindowState();
    void SaveWindowState();
    void ShowFilterCount();
    // After rows went or the filter emptied: the counts again, if the status line shows them.
    void ShowCounts();

    Timing timing;
    QLabel* serverLabel = nullptr;
    QLineEdit* urlBox = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* optionButton = nullptr;
    QPushButton* languageButton = nullptr;
    QPushButton* exportButton = nullptr;
    QLabel* statusLine = nullptr;
    QLineEdit* filterBox = nullptr;
    PointListView* listView = nullptr;
    PointTableModel* model = nullptr;
    PointFilterModel* filterModel = nullptr;

    PointList pointList;
    std::vector<OPCUAItemData*> rows;
    OPCUABrowser browser{&pointList};
    std::shared_ptr<boost::thread_group> walkThreads;
    QTimer scanTimer;
    QTimer refreshTimer;
    std::unique_ptr<CLoginOptionDlg> optionsDialog;
    std::unique_ptr<CWriteValueDlg> writeDialog;
    std::unique_ptr<PointDetailsDlg> detailsDialog;
    bool statusShowsCounts = false;               // a count the rows' changes must keep true
    TextKey totalCountKey = TextKey::SearchDone;  // how that count reads without a filter
    std::unique_ptr<ServerHistory> history;
    ServerBox* serverBox = nullptr;
    QPoint menuPoint{0, 0};
    int lastReadResult = -1;

    // Results of background work carry the attempt they belong to; Connect and Stop start a new
    // one, so late results of an abandoned attempt are dropped.
    int attempt = 0;
    bool connecting = false;
    bool refreshRunning = false;
    bool refreshFailing = false;
    std::shared_ptr<std::atomic<bool>> cancelConnect;
    // Set by Stop, Connect and closing: a refresh pass's read or reconnect gives up at once.
    std::shared_ptr<std::atomic<bool>> cancelRefresh;
    QTimer exportProgressTimer;
    std::vector<std::function<void()>> afterExport;
    std::unique_ptr<ExportWorker> exporter;
    std::optional<ConnectionSettings> sessionSettings;
    std::shared_ptr<BrowseStats> walkStats;
    // Last: it is joined first, while everything its jobs use still exists.
    std::unique_ptr<SessionWorker> worker;

    PollStats pollStats;
    std::chrono::steady_clock::time_point scanEndShownAt{};
    std::chrono::nanoseconds lastRefreshDuration{0};
};
