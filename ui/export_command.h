#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/attributes/point_attributes.h"
#include "export/export_context.h"
#include "export/export_format.h"

class ExportWorker;
class PointFilterModel;
class QAbstractItemView;
class QLineEdit;
class QPushButton;
class QWidget;
class ScanSession;
struct ExportResult;
struct OPCUAItemData;

// The Export command of the main window: every row, the selected rows or (with a filter, if the
// user says so) the rows shown, in the file type chosen by purpose, remembered for next time with
// the "all attributes" choice. The attributes are read on the session's thread first; the file
// is written on a worker of its own. The button cancels either step meanwhile. The session's
// rows are held unchanged from the first step to the end.
class ExportCommand : public QObject {
    Q_OBJECT
public:
    ExportCommand(QWidget* window, ScanSession& session, PointFilterModel& shown,
                  QAbstractItemView& list, QLineEdit& filterBox, QPushButton& button,
                  std::function<void(const std::string&)> status);
    ~ExportCommand() override;

    // Asks what and where, then starts; or cancels the export under way.
    void Run(const std::string& url);
    bool Running() const;
    void Cancel();
    // Runs `later` once the export under way has ended, at once when none is.
    void WhenDone(std::function<void()> later);
    // Cancels and waits; what waited for the end is dropped.
    void End();

private:
    // Which rows: the selection, the rows shown or all; false when the user cancels.
    bool ChooseRows(std::vector<OPCUAItemData*>& points);
    void StartWriting(std::vector<OPCUAItemData*> points, std::filesystem::path path,
                      ExportFormat format, ExportSource source,
                      std::shared_ptr<const PointAttributeTable> attributes);
    // Gives the rows back and runs what waited for the end.
    void Finish();
    void ShowProgress();
    void OnDone(const ExportResult& result, std::size_t points, ExportFormat format);

    QWidget* window;
    ScanSession& session;
    PointFilterModel& shown;
    QAbstractItemView& list;
    QLineEdit& filterBox;
    QPushButton& button;
    std::function<void(const std::string&)> status;
    QTimer progressTimer;
    std::vector<std::function<void()>> afterExport;
    std::unique_ptr<ExportWorker> exporter;
};
