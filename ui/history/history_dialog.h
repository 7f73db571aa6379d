#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "session/session_worker.h"
#include "store/stored_scan.h"
#include "ui/history/change_table_model.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTreeWidget;

// "History...": the stored scans of one server, and any two of them compared. The history is
// read on a thread of its own, so a large comparison never stalls the window.
class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    CHistoryDlg(std::filesystem::path store, std::string url, QWidget* parent = nullptr);
    ~CHistoryDlg() override;

    // Compares the two scans with these ids, older first (what Compare does with the selection).
    void CompareScans(long long before, long long after);
    // Writes the comparison shown, all kinds, as .xlsx when the name says so, else CSV; false
    // when it could not be written.
    bool ExportComparison(const std::string& path);
    // True while something is being read.
    bool Loading() const { return busy_; }
    const std::vector<ScanSummary>& Scans() const { return scans_; }
    ChangeTableModel& Changes() { return *changes_; }

signals:
    void ScansLoaded();
    void ComparisonLoaded();

private:
    void Run(std::function<void()> work);
    void ShowScans(std::vector<ScanSummary> scans, std::string error);
    void ShowComparison(std::shared_ptr<const LoadedComparison> loaded, std::string error);
    void CompareSelected();
    void ExportChosen();
    void SelectionChanged();

    std::filesystem::path store_;
    std::string url_;
    std::vector<ScanSummary> scans_;
    bool busy_ = false;  // from a read's start until its result is shown
    QTreeWidget* scanList_;
    QPushButton* compare_;
    QComboBox* kinds_;
    QTableView* table_;
    QPushButton* export_;
    QLabel* status_;
    ChangeTableModel* changes_;
    SessionWorker loader_{this};  // last: the reads end before the rest goes
};
