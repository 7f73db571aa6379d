#include "ui/inventory/inventory_dialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "history/change_texts.h"
#include "store/inventory_store.h"
#include "ui/qt_text.h"

CInventoryDlg::CInventoryDlg(std::filesystem::path store, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Q(Text(TextKey::InventoryTitle)));
    model_ = new InventoryTableModel(this);
    table_ = new QTableView(this);
    table_->setObjectName("inventoryServers");
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    status_ = new QLabel(Q(Text(TextKey::HistoryLoading)), this);
    status_->setObjectName("inventoryStatus");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    resize(900, 450);

    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (const InventoryEntry* entry = model_->Entry(index.row()))
            emit UseUrl(Q(entry->server.endpointUrl));
    });

    loader_.Run([this, path = std::move(store)] {
        std::vector<InventoryEntry> entries;
        std::string error;
        auto opened = InventoryStore::Open(path);
        if (opened.store) {
            entries = LoadInventory(*opened.store);
        } else {
            error = Text(TextKey::StoreCannotOpen) + path.string();
        }
        QMetaObject::invokeMethod(
            this,
            [this, entries = std::move(entries), error]() mutable {
                Show(std::move(entries), error);
            },
            Qt::QueuedConnection);
    });
}

CInventoryDlg::~CInventoryDlg() = default;

void CInventoryDlg::Show(std::vector<InventoryEntry> entries, std::string error) {
    loading_ = false;
    model_->SetEntries(std::move(entries));
    table_->resizeColumnsToContents();
    status_->setText(Q(error));
    emit Loaded();
}
