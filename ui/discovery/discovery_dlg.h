#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>

#include "discovery/discovery_run.h"
#include "engine/connection_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class BackgroundDiscovery;
class DiscoveryTableModel;
class ServerHistory;

// Finds the OPC UA servers on the network: the sources, Start/Cancel, a progress line and the
// servers as they are found. Non-modal; the run goes on, on a thread of its own, while the
// window is used; what it finds is posted to this thread.
class CDiscoveryDlg : public QDialog {
    Q_OBJECT
public:
    // `history` (may be null) gets every server found; it must outlive the dialog.
    CDiscoveryDlg(ServerHistory* history, QWidget* parent = nullptr);
    ~CDiscoveryDlg() override;

    void Retranslate();
    DiscoveryTableModel* Model() const { return model; }
    bool Running() const { return run != nullptr; }
    // Where a sweep's security findings are recorded when it ends (the user's history unless
    // set); nothing is recorded while the history's "keep scan history" is off.
    void SetFindingsStore(std::filesystem::path path) { findingsStore = std::move(path); }

signals:
    // "Use" or a double-click: the endpoint to connect to, with its mode and policy.
    void UseServer(const ConnectionSettings& settings);

public slots:
    void OnStart();
    void OnUse();
    void OnExport();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnFinished(DiscoveryResult result);
    void ShowProgress(qulonglong done, qulonglong total, qulonglong servers);
    void RememberFound();

    ServerHistory* history;
    QLabel* rangesLabel;
    QLineEdit* rangesBox;
    QLabel* portsLabel;
    QLineEdit* portsBox;
    QLabel* ldsLabel;
    QLineEdit* ldsBox;
    QCheckBox* mdnsBox;
    QLabel* urlsLabel;
    QLineEdit* urlsBox;
    QCheckBox* rememberedBox;
    QPushButton* startButton;
    QLabel* progressLine;
    QTableView* table;
    QPushButton* useButton;
    QPushButton* exportButton;
    DiscoveryTableModel* model;
    std::filesystem::path findingsStore;
    std::unique_ptr<BackgroundDiscovery> run;
};
