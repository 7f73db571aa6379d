#pragma once

#include <QDialog>
#include <QPoint>
#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/opcua_browser.h"
#include "export/export_format.h"
#include "session/scan_session.h"
#include "texts/text_table.h"

class CLoginOptionDlg;
class WindowDecider;
class ExportCommand;
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
class ScanRecorder;
class ServerBox;
class ServerHistory;

// The main window: URL box, Connect/Stop, Option, language, the point list, Export, status line.
// Widgets and wiring; the scan itself is its ScanSession's.
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
        kHistory = 32800,
        kKeepHistory = 32801,
        kInventory = 32802,
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

    ScanSession& Session() const { return *session; }
    const std::vector<OPCUAItemData*>& Rows() const { return session->Rows().View(); }
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
    bool WalkRunning() const { return session->WalkRunning(); }
    bool Connecting() const { return session->Connecting(); }
    bool RefreshRunning() const { return session->RefreshRunning(); }
    // An export is on its way; the rows stay as they are until it ends.
    bool ExportRunning() const;
    // Work handed to the session's thread that has not finished yet (joins, connects, passes).
    int BackgroundJobs() const { return session->BackgroundJobs(); }
    const std::optional<ConnectionSettings>& SessionSettings() const {
        return session->SessionSettings();
    }
    bool ScanPollPending() const { return session->ScanPollPending(); }
    bool RefreshPending() const { return session->RefreshPending(); }
    int RefreshInterval() const { return session->RefreshInterval(); }
    int LastReadResult() const { return session->LastReadResult(); }
    const PollStats& ScanPollStats() const { return session->ScanPollStats(); }
    std::shared_ptr<const BrowseStats> LastWalkStats() const { return session->LastWalkStats(); }
    std::chrono::steady_clock::time_point ScanEndShownAt() const {
        return session->ScanEndShownAt();
    }
    std::chrono::nanoseconds LastRefreshDuration() const { return session->LastRefreshDuration(); }

    // Handlers, public so that tests and the benchmark can drive them without waiting on timers.
    void OnConnect();
    void OnOption();
    void OnLanguage();
    void OnExport();
    void OnScanPoll() { session->ScanPoll(); }
    void OnRefreshPass() { session->RefreshPass(); }
    void ShowAbout();

    // Where the window records its scans; the user's history unless set before the first scan.
    void SetHistoryStore(const std::filesystem::path& path);
    // Scans handed to the history and not yet recorded.
    int RecordingsPending() const;
    bool KeepScanHistory() const;
    void SetKeepScanHistory(bool keep);
    // "History...": the stored scans of the server the URL box names.
    void OpenHistory();
    // "Inventory...": every server of the history; a double-click puts its URL in the URL box.
    void OpenInventory();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void BuildControls();
    void ConnectSession();
    void ApplyResizeRules();
    void SetStatus(const std::string& text);
    void SetCommandButtonsEnabled(bool enabled);
    void Connect();
    void OnSessionState(SessionState state);
    void OnSessionConnected(const ConnectionSettings& settings);
    void OnWalkEnded(bool lost);
    void Teardown();
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
    // Marks a list that belongs to another server than the URL box names.
    void ShowWhoseList();
    // After a walk, or when Stop ended it: the scan recorded (marked when `cutShort`), and the
    // status line and the Change column told what changed since the last complete one.
    void RecordScan(bool cutShort);
    ScanRecorder& Recorder();
    // Milliseconds since 1970, as the history keeps times.
    static std::int64_t NowMs();

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

    std::unique_ptr<CLoginOptionDlg> optionsDialog;
    std::unique_ptr<CWriteValueDlg> writeDialog;
    std::unique_ptr<PointDetailsDlg> detailsDialog;
    bool statusShowsCounts = false;               // a count the rows' changes must keep true
    TextKey totalCountKey = TextKey::SearchDone;  // how that count reads without a filter
    std::unique_ptr<ServerHistory> history;
    ServerBox* serverBox = nullptr;
    QPoint menuPoint{0, 0};

    ExportCommand* exportCommand = nullptr;  // a child: it goes with the window
    std::unique_ptr<WindowDecider> decider;
    std::unique_ptr<ScanRecorder> recorder;  // made on the first scan it records
    std::int64_t scanStartedMs = 0;
    int attemptOfScan = 0;          // counts scans, so a late comparison knows it is stale
    std::string sinceLastScanText;  // what the status line's count ends with
    // Last: it goes first, while the model that follows its rows still exists.
    std::unique_ptr<ScanSession> session;
};
