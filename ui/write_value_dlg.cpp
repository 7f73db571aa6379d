#include "ui/write_value_dlg.h"

#include "engine/opcua_browser.h"
#include "ui/login_option_dlg.h"
#include "ui/prompts.h"
#include "ui/connect_failure.h"
#include "ui/text_table.h"
#include "ui/write_caption.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CWriteValueDlg::CWriteValueDlg(QWidget* parent, const OPCUAItemData& record,
                               std::uint16_t type, const CLoginOptionDlg* opts, std::string u,
                               WriteResultHandler handler)
    : QDialog(parent), typeIndex(type), options(opts), url(std::move(u)),
      onResult(std::move(handler)) {
    UA_NodeId_init(&nodeId);
    if (UA_NodeId_copy(&record.nodeId, &nodeId) != UA_STATUSCODE_GOOD) throw std::bad_alloc();

    setObjectName(QStringLiteral("writeDialog"));
    setWindowTitle(Q(WriteDialogCaption(nodeId)));  // formed once, in today's language

    label = new QLabel(Q(Text(TextKey::NewValue)), this);
    label->setObjectName(QStringLiteral("newValueLabel"));
    valueBox = new QLineEdit(this);
    valueBox->setObjectName(QStringLiteral("valueBox"));
    valueBox->setProperty("controlId", kValueBox);
    valueBox->setMinimumWidth(valueBox->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 32);
    okButton = new QPushButton(Q(Text(TextKey::Ok)), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);

    auto* row = new QHBoxLayout(this);
    row->addWidget(label);
    row->addWidget(valueBox, 1);
    row->addWidget(okButton);
    row->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton, &QPushButton::clicked, this, &CWriteValueDlg::accept);
    valueBox->setFocus();
}

CWriteValueDlg::~CWriteValueDlg() { UA_NodeId_clear(&nodeId); }

void CWriteValueDlg::accept() {
    // A session of our own for this one write; the window's session belongs to its refresh.
    PointList unused;
    OPCUABrowser engine(&unused);
    const ConnectOutcome outcome = engine.Connect(options->Settings(url));
    if (const auto failure = FailureText(outcome)) {
        Prompts::Message(this, Text(*failure));
        engine.Disconnect();
        return;
    }
    std::string result;
    const int written = engine.WriteValue(nodeId, valueBox->text().toStdString(), typeIndex, result);
    if (onResult) onResult(nodeId, result, written != 0);
    hide();
    engine.Disconnect();
}
