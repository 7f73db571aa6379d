#pragma once

#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>
#include <string>

#include "engine/ua_types.h"

class CLoginOptionDlg;
class CTrendDlg;
class OpenTrends;
class CWriteValueDlg;
class ExportCommand;
class PointDetailsDlg;
class PointFilterModel;
class PointListView;
class PointTableModel;
class QAction;
class QMenu;
class QWidget;
class ScanSession;
class ServerHistory;

// The point list's popup and what its entries do: delete, write value, copy name, properties,
// the scan history's two entries and the trend of the selected points.
class PointMenu : public QObject {
    Q_OBJECT
public:
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
        kTrend = 32803,
    };

    // What the commands act on; all of it outlives the menu.
    struct Parts {
        QWidget* window = nullptr;  // parent and centre of the dialogs
        ScanSession* session = nullptr;
        PointTableModel* model = nullptr;
        PointFilterModel* filterModel = nullptr;
        PointListView* listView = nullptr;
        ServerHistory* history = nullptr;
        ExportCommand* exportCommand = nullptr;
        CLoginOptionDlg* optionsDialog = nullptr;
        std::function<std::string()> url;  // the URL box
        std::function<void(const std::string&)> setStatus;
        std::function<void()> openHistory;
        std::function<void()> openInventory;
    };

    explicit PointMenu(Parts parts);
    ~PointMenu() override;

    // The popup for the current language, delete and write grayed without a selection, write
    // also for a point under `menuPoint` it cannot be offered for, Properties without a point.
    std::unique_ptr<QMenu> BuildContextMenu() const;
    // Saves `globalPos` as `menuPoint`, runs the menu there and carries out the chosen command.
    void OpenContextMenu(const QPoint& globalPos);
    void OnMenuCommand(int id);
    // Replaces QMenu::exec, so tests can pick an entry without a blocking popup.
    std::function<QAction*(QMenu&, const QPoint&)> menuRunner;

    void DeleteSelectedRows();
    void CopyIdentifier(int row);
    // The details of the point at shown row `row`, read on the session's thread; one dialog at
    // a time, replaced by the next.
    void OpenDetails(int row);
    // The write dialog's outcome for the point `nodeId`.
    void OnWriteResult(const UA_NodeId& nodeId, std::string& text, bool failed);

    // A trend of the selected points; null when they cannot all be plotted.
    CTrendDlg* OpenTrend();
    OpenTrends& Trends() const { return *trends; }

    CWriteValueDlg* WriteDialog() const { return writeDialog.get(); }
    PointDetailsDlg* DetailsDialog() const { return detailsDialog.get(); }

private:
    void OpenWriteDialog();
    bool ExportRunning() const;

    Parts parts;
    QPoint menuPoint{0, 0};
    std::unique_ptr<CWriteValueDlg> writeDialog;
    std::unique_ptr<PointDetailsDlg> detailsDialog;
    std::unique_ptr<OpenTrends> trends;
};
