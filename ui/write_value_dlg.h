#pragma once

#include "engine/opcua_item_data.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class CLoginOptionDlg;
class QLabel;
class QLineEdit;
class QPushButton;

// Called once per write attempt with the point, the value read back and whether it failed.
using WriteResultHandler = std::function<void(const UA_NodeId&, std::string&, bool)>;

// Non-modal dialog that writes one new value to one point over a short-lived session of its own.
// It keeps a copy of the point's NodeId, so the row may go away while it is open.
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

    // OK: sign in, write, read back, report, hide. A sign-in problem keeps the dialog open.
    void accept() override;

private:
    UA_NodeId nodeId;
    std::uint16_t typeIndex;
    const CLoginOptionDlg* options;
    std::string url;
    WriteResultHandler onResult;

    QLabel* label = nullptr;
    QLineEdit* valueBox = nullptr;
    QPushButton* okButton = nullptr;
};
