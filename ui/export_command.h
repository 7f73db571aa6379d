#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/export_format.h"

class ExportWorker;
class PointFilterModel;
class QLineEdit;
class QPushButton;
class QWidget;
class ScanSession;
struct ExportResult;

// The Export command of the main window: every row (or, with a filter, the rows shown if the
// user says so) into an .xls, .xlsx or .csv file, written on a worker of its own; the button
// cancels it meanwhile. The session's rows are held unchanged while they are exported.
class ExportCommand : public QObject {
    Q_OBJECT
public:
    ExportCommand(QWidget* window, ScanSession& session, PointFilterModel& shown,
                  QLineEdit& filterBox, QPushButton& button,
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
    void ShowProgress();
    void OnDone(const ExportResult& result, std::size_t points, ExportFormat format);

    QWidget* window;
    ScanSession& session;
    PointFilterModel& shown;
    QLineEdit& filterBox;
    QPushButton& button;
    std::function<void(const std::string&)> status;
    QTimer progressTimer;
    std::vector<std::function<void()>> afterExport;
    std::unique_ptr<ExportWorker> exporter;
};
