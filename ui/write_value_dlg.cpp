#include "ui/write_value_dlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/node_id_text.h"
#include "engine/value_from_text.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"
#include "ui/cell_text.h"
#include "ui/invalid_value_text.h"
#include "ui/login_option_dlg.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/trust_prompt.h"
#include "ui/write_caption.h"

namespace {

QLabel* ReadOnlyLine(QWidget* parent, const std::string& text, const char* name) {
    auto* line = new QLabel(Q(text), parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->setToolTip(Q(text));
    return line;
}

}  // namespace

CWriteValueDlg::CWriteValueDlg(QWidget* parent, const OPCUAItemData& record, std::uint16_t type,
                               const CLoginOptionDlg* opts, std::string u,
                               WriteResultHandler handler, ScanSession& s)
    : QDialog(parent),
      typeIndex(type),
      options(opts),
      url(std::move(u)),
      onResult(std::move(handler)),
      session(s) {
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

    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    AddPointLines(record, *form);
    column->addLayout(form);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(valueBox, 1);
    row->addWidget(okButton);
    column->addLayout(row);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton, &QPushButton::clicked, this, &CWriteValueDlg::accept);
    valueBox->setFocus();
}

void CWriteValueDlg::AddPointLines(const OPCUAItemData& record, QFormLayout& form) {
    // Long names and identifiers are cut here and whole in the tooltip.
    std::string point = CutUtf8(record.displayName, 120);
    point += "  " + CutUtf8(NodeIdToText(record.nodeId), 200);
    form.addRow(Q(Text(TextKey::PointLabel)), ReadOnlyLine(this, point, "pointLine"));
    form.addRow(Q(Text(TextKey::DataTypeLabel)),
                ReadOnlyLine(this, record.dataType, "dataTypeLine"));
    form.addRow(Q(Text(TextKey::CurrentValueLabel)),
                ReadOnlyLine(this, CutUtf8(record.value, 200), "currentValueLine"));
    const std::string range = NumberRangeText(record.typeIndex);
    if (!range.empty())
        form.addRow(Q(Text(TextKey::RangeLabel)), ReadOnlyLine(this, range, "rangeLine"));
}

CWriteValueDlg::~CWriteValueDlg() {
    // A connect still waiting gives up; a write under way is let finish, its result unheard.
    if (cancelWrite) *cancelWrite = true;
    UA_NodeId_clear(&nodeId);
}

void CWriteValueDlg::accept() {
    if (writing) return;
    const std::string text = valueBox->text().toStdString();
    if (!ValueFromText(text, typeIndex)) {
        // Nothing goes to the plant that the user did not really type.
        Prompts::Message(this, InvalidValueText(typeIndex));
        return;
    }
    StartWrite(options->Settings(url), text);
}

void CWriteValueDlg::StartWrite(const ConnectionSettings& settings, const std::string& text) {
    writing = true;
    okButton->setEnabled(false);
    cancelWrite = session.Write(this, settings, nodeId, text, typeIndex,
                                [this, settings, text](const ScanSession::WriteOutcome& outcome) {
                                    OnWriteDone(settings, text, outcome);
                                });
}

void CWriteValueDlg::OnWriteDone(const ConnectionSettings& settings, const std::string& text,
                                 const ScanSession::WriteOutcome& outcome) {
    writing = false;
    okButton->setEnabled(true);
    if (outcome.connect == ConnectOutcome::Cancelled) return;
    // Only a certificate accepted for the window's session passes silently; another is asked.
    ConnectionSettings next = settings;
    WindowDecider decider(this);
    switch (AfterAttempt(outcome.connect, outcome.serverTrust, next, decider)) {
        case FlowStep::Retry:
            StartWrite(next, text);
            return;
        case FlowStep::Declined:
            return;  // nothing sent, the dialog stays open with the text
        case FlowStep::Done:
            break;
    }
    if (FailureText(outcome.connect)) {
        Prompts::Message(this, FailureMessage(outcome.connect));
        return;
    }
    // A failure hands over the name of the status it ended with, for the message to tell.
    const bool failed = outcome.written != 0;
    std::string result = failed ? UA_StatusCode_name(outcome.status) : outcome.result;
    if (onResult) onResult(nodeId, result, failed);
    hide();
}
