#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/connection_settings.h"
#include "engine/opcua_item_data.h"

class CLoginOptionDlg;
class SessionWorker;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Called once per write attempt with the point, the value read back and whether it failed.
using WriteResultHandler = std::function<void(const UA_NodeId&, std::string&, bool)>;

// Non-modal dialog that writes one new value to one point over a short-lived session of its own.
// It keeps a copy of the point's NodeId, so the row may go away while it is open. Above the
// value box it names the point and shows its type, the value it showed when opened and, for
// numbers, the type's range.
class CWriteValueDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId { kValueBox = 1022 };

    CWriteValueDlg(QWidget* parent, const OPCUAItemData& record, std::uint16_t typeIndex,
                   const CLoginOptionDlg* options, std::string url, WriteResultHandler onResult);
    ~CWriteValueDlg() override;

    CWriteValueDlg(const CWriteValueDlg&) = delete;
    CWriteValueDlg& operator=(const CWriteValueDlg&) = delete;

    const UA_NodeId& NodeId() const { return nodeId; }
    const std::string& Url() const { return url; }

    // OK: sign in, write, read back, report, hide, all but the report and the hiding on a
    // thread of the dialog's own. A sign-in problem keeps the dialog open.
    void accept() override;
    // An OK whose write has not come back yet.
    bool Writing() const { return writing; }

private:
    struct Outcome;
    void StartWrite(const ConnectionSettings& settings, const std::string& text);
    void OnWriteDone(const ConnectionSettings& settings, const std::string& text,
                     const Outcome& outcome);

    UA_NodeId nodeId;
    std::uint16_t typeIndex;
    const CLoginOptionDlg* options;
    std::string url;
    WriteResultHandler onResult;

    // Read-only lines above the value box: what is written, and what it holds now.
    void AddPointLines(const OPCUAItemData& record, QFormLayout& form);

    QLabel* label = nullptr;
    QLineEdit* valueBox = nullptr;
    QPushButton* okButton = nullptr;

    bool writing = false;
    std::shared_ptr<std::atomic<bool>> cancelConnect;
    // Last: joined first, while the NodeId its job reads still exists.
    std::unique_ptr<SessionWorker> worker;
};
