#include "ui/endpoint_picker.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/connection_settings.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"
#include "ui/named_control.h"
#include "ui/qt_text.h"

EndpointPicker::EndpointPicker(std::function<Target()> targetSource, ScanSession& s,
                               QWidget* parent)
    : QWidget(parent), source(std::move(targetSource)), session(s) {
    button = Named(new QPushButton(this), "endpointsButton", 1035);
    state = Named(new QLabel(this), "endpointsState", 1036);
    state->setWordWrap(true);
    table = Named(new QTableWidget(0, 4, this), "endpointList", 1037);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumHeight(table->fontMetrics().height() * 7);
    table->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(button);
    top->addWidget(state, 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(top);
    page->addWidget(table);

    connect(button, &QPushButton::clicked, this, [this] { asking ? Cancel() : Ask(); });
    connect(table, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0 && row < static_cast<int>(endpoints.size())) emit Picked(endpoints[row]);
    });
    RefreshTexts();
}

EndpointPicker::~EndpointPicker() {
    if (cancel) *cancel = true;
}

void EndpointPicker::Ask() {
    Cancel();
    const Target target = source();
    asking = true;
    const int id = ++askId;
    state->setText(Q(Text(TextKey::EndpointsAsking)));
    button->setText(Q(Text(TextKey::Cancel)));
    // A cancelled listing ends within moments; the next one waits behind it.
    cancel = session.ListEndpoints(
        this, target.url, target.timeoutSeconds,
        [this, id](const EndpointListing& listing) { OnListed(id, listing); });
}

void EndpointPicker::Cancel() {
    if (!asking) return;
    *cancel = true;
    asking = false;
    ++askId;  // whatever still arrives is for nobody
    state->clear();
    button->setText(Q(Text(TextKey::GetEndpoints)));
}

void EndpointPicker::OnListed(int id, const EndpointListing& listing) {
    if (id != askId || !asking) return;
    asking = false;
    button->setText(Q(Text(TextKey::GetEndpoints)));
    if (listing.status != UA_STATUSCODE_GOOD) {
        const QString failure = Q(FailureMessage(ConnectOutcome::Unreachable, {listing.cause, {}}));
        state->setText(failure);
        emit Finished(failure);
        return;
    }
    endpoints = listing.endpoints;
    state->setText(endpoints.empty() ? Q(Text(TextKey::EndpointsNone)) : QString());
    Fill();
    emit Finished(QString());
}

void EndpointPicker::Fill() {
    const QSignalBlocker quiet(table);
    table->setRowCount(static_cast<int>(endpoints.size()));
    for (int row = 0; row < static_cast<int>(endpoints.size()); ++row) {
        const EndpointInfo& e = endpoints[row];
        const QString cells[] = {Q(e.policy), Q(ModeWord(e.modeIndex)), Q(TokenWords(e.tokens)),
                                 QString::number(e.level)};
        for (int c = 0; c < 4; ++c) table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    table->resizeColumnsToContents();
    // The table is as wide as its columns, so no sign-in list is cut.
    int width = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    table->setMinimumWidth(width);
    table->clearSelection();
    table->setCurrentCell(-1, -1);
    table->setVisible(!endpoints.empty());
}

std::vector<int> EndpointPicker::PoliciesOffered(int modeIndex) const {
    std::vector<int> offered;
    for (const EndpointInfo& e : endpoints)
        if (e.modeIndex == modeIndex && e.policyIndex >= 0) offered.push_back(e.policyIndex);
    return offered;
}

void EndpointPicker::RefreshTexts() {
    button->setText(Q(Text(asking ? TextKey::Cancel : TextKey::GetEndpoints)));
    table->setHorizontalHeaderLabels(
        {Q(Text(TextKey::EndpointPolicyColumn)), Q(Text(TextKey::EndpointModeColumn)),
         Q(Text(TextKey::EndpointSignInColumn)), Q(Text(TextKey::EndpointLevelColumn))});
}
