#pragma once

#include <QDialog>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/opcua_browser.h"
#include "export/export_format.h"
#include "session/scan_session.h"
#include "texts/text_table.h"
#include "ui/main_controls.h"
#include "ui/window_scans.h"

class CLoginOptionDlg;
class WindowDecider;
class ExportCommand;
class ListCounts;
class PointFilterModel;
class PointListView;
class PointMenu;
class PointTableModel;
class QLabel;
class QLineEdit;
class QPushButton;
class ServerBox;
class ServerChoice;
class ServerHistory;
class StatusLine;

// The main window: URL box, Connect/Stop, Option, language, the point list, Export, status line.
// Widgets and wiring; the scan itself is its ScanSession's.
class CQuorvaneDlg : public QDialog {
    Q_OBJECT
public:
    using enum MainControls::ControlId;

    explicit CQuorvaneDlg(Timing timing = {}, QWidget* parent = nullptr);
    ~CQuorvaneDlg() override;

    // The list's popup and its commands.
    PointMenu& Menu() const { return *menu; }

    ScanSession& Session() const { return *session; }
    const std::vector<OPCUAItemData*>& Rows() const { return session->Rows().View(); }
    PointTableModel* Model() const { return model; }
    // What the list shows of Model(): the filtered and sorted rows.
    PointFilterModel* Shown() const { return filterModel; }
    // The records of the rows on screen that a refresh pass reads.
    std::vector<OPCUAItemData*> VisibleRecords() const;
    CLoginOptionDlg* OptionsDialog() const { return optionsDialog.get(); }
    ServerHistory* History() const { return history.get(); }
    ServerBox* Servers() const;
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

    // The window's scan history: where it records, what is still on its way.
    WindowScans& Scans() { return scans; }
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
    void SetCommandButtonsEnabled(bool enabled);
    void Connect();
    void OnSessionState(SessionState state);
    void OnSessionConnected(const ConnectionSettings& settings);
    void OnWalkEnded(bool lost);
    void Teardown();
    // After a walk, or when Stop ended it: the scan recorded (marked when `cutShort`), and the
    // status line and the Change column told what changed since the last complete one.
    void RecordScan(bool cutShort);

    Timing timing;
    QLabel* serverLabel = nullptr;
    QLineEdit* urlBox = nullptr;
    QPushButton* connectButton = nullptr;
    QPushButton* optionButton = nullptr;
    QPushButton* languageButton = nullptr;
    QPushButton* exportButton = nullptr;
    StatusLine* statusLine = nullptr;
    ListCounts* counts = nullptr;  // a child, as the status line it writes
    QLineEdit* filterBox = nullptr;
    PointListView* listView = nullptr;
    PointTableModel* model = nullptr;
    PointFilterModel* filterModel = nullptr;

    std::unique_ptr<CLoginOptionDlg> optionsDialog;
    std::unique_ptr<ServerHistory> history;
    ServerChoice* servers = nullptr;         // a child: it goes with the window
    ExportCommand* exportCommand = nullptr;  // a child too
    // Holds the write and details dialogs, which go before the window's children do.
    std::unique_ptr<PointMenu> menu;
    std::unique_ptr<WindowDecider> decider;
    WindowScans scans;
    // Last: it goes first, while the model that follows its rows still exists.
    std::unique_ptr<ScanSession> session;
};
