#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "session/session_worker.h"
#include "ui/inventory/inventory_table_model.h"

class QLabel;
class QTableView;

// "Inventory...": every server the history knows, with its last scan, point count, changes
// and security findings. Read on a thread of its own; a double-click hands a server's URL on.
class CInventoryDlg : public QDialog {
    Q_OBJECT
public:
    CInventoryDlg(std::filesystem::path store, QWidget* parent = nullptr);
    ~CInventoryDlg() override;

    bool Loading() const { return loading_; }
    InventoryTableModel& Model() { return *model_; }

signals:
    void Loaded();
    // The user chose the server at `url`.
    void UseUrl(const QString& url);

private:
    void Show(std::vector<InventoryEntry> entries, std::string error);

    bool loading_ = true;
    InventoryTableModel* model_;
    QTableView* table_;
    QLabel* status_;
    SessionWorker loader_{this};  // last: the read ends before the rest goes
};
