#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/connection_settings.h"
#include "engine/opcua_item_data.h"
#include "session/scan_session.h"

class CLoginOptionDlg;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// Called once per write attempt with the point, the value read back and whether it failed.
using WriteResultHandler = std::function<void(const UA_NodeId&, std::string&, bool)>;

// Non-modal dialog that writes one new value to one point over a short-lived connection of its
// own, made on the thread of the window's scan session.
// It keeps a copy of the point's NodeId, so the row may go away while it is open. Above the
// value box it names the point and shows its type, the value it showed when opened and, for
// numbers, the type's range.
class CWriteValueDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId { kValueBox = 1022 };

    CWriteValueDlg(QWidget* parent, const OPCUAItemData& record, std::uint16_t typeIndex,
                   const CLoginOptionDlg* options, std::string url, WriteResultHandler onResult,
                   ScanSession& session);
    ~CWriteValueDlg() override;

    CWriteValueDlg(const CWriteValueDlg&) = delete;
    CWriteValueDlg& operator=(const CWriteValueDlg&) = delete;

    const UA_NodeId& NodeId() const { return nodeId; }
    const std::string& Url() const { return url; }

    // OK: sign in, write, read back, report, hide, all but the report and the hiding on the
    // session's thread. A sign-in problem keeps the dialog open.
    void accept() override;
    // An OK whose write has not come back yet.
    bool Writing() const { return writing; }

private:
    void StartWrite(const ConnectionSettings& settings, const std::string& text);
    void OnWriteDone(const ConnectionSettings& settings, const std::string& text,
                     const ScanSession::WriteOutcome& outcome);

    UA_NodeId nodeId;
    std::uint16_t typeIndex;
    const CLoginOptionDlg* options;
    std::string url;
    WriteResultHandler onResult;
    ScanSession& session;

    // Read-only lines above the value box: what is written, and what it holds now.
    void AddPointLines(const OPCUAItemData& record, QFormLayout& form);

    QLabel* label = nullptr;
    QLineEdit* valueBox = nullptr;
    QPushButton* okButton = nullptr;

    bool writing = false;
    ScanSession::JobCancel cancelWrite;
};
