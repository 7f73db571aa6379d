#include "ui/point_details_dlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>
#include <utility>

#include "texts/text_table.h"
#include "ui/qt_text.h"

PointDetailsDlg::PointDetailsDlg(QWidget* parent, const std::string& title, std::string p)
    : QDialog(parent), path(std::move(p)) {
    setObjectName(QStringLiteral("detailsDialog"));
    setWindowTitle(Q(Text(TextKey::Properties) + " " + title));
    setAttribute(Qt::WA_DeleteOnClose, false);

    table = new QTableWidget(0, 2, this);
    table->setObjectName(QStringLiteral("detailsTable"));
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setWordWrap(false);

    copyButton = new QPushButton(Q(Text(TextKey::CopyLine)), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    copyButton->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this, &PointDetailsDlg::CopySelected);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copyButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    resize(560, 480);

    rows = {{Text(TextKey::DetailsReading), std::string()}, {"Path", path}};
    Fill();
}

void PointDetailsDlg::ShowDetails(const PointDetails& details) {
    rows = DetailRows(details, path);
    Fill();
}

void PointDetailsDlg::Fill() {
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& [label, text] = rows[static_cast<std::size_t>(r)];
        auto* name = new QTableWidgetItem(Q(label));
        auto* value = new QTableWidgetItem(Q(text));
        value->setToolTip(Q(text));
        table->setItem(r, 0, name);
        table->setItem(r, 1, value);
    }
}

void PointDetailsDlg::CopySelected() const {
    std::set<int> selected;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        selected.insert(index.row());
    std::vector<DetailRow> chosen;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        if (selected.empty() || selected.count(r) != 0)
            chosen.push_back(rows[static_cast<std::size_t>(r)]);
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(Q(CopyRows(chosen)));
}

void PointDetailsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelected();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
