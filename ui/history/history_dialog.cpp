#include "ui/history/history_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <sstream>

#include "export/replacing_file.h"
#include "history/change_listing.h"
#include "history/change_texts.h"
#include "history/change_workbook.h"
#include "store/inventory_store.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"

namespace {

std::string DurationText(const ScanFacts& facts) {
    return QString::number((facts.endedMs - facts.startedMs) / 1000.0, 'f', 1).toStdString();
}

}  // namespace

CHistoryDlg::CHistoryDlg(std::filesystem::path store, std::string url, QWidget* parent)
    : QDialog(parent), store_(std::move(store)), url_(std::move(url)) {
    setWindowTitle(Q(Text(TextKey::HistoryTitle) + " - " + url_));
    scanList_ = new QTreeWidget(this);
    scanList_->setObjectName("historyScans");
    scanList_->setRootIsDecorated(false);
    scanList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    scanList_->setHeaderLabels(
        {Q(Text(TextKey::HistoryColumnScan)), Q(Text(TextKey::HistoryColumnPoints)),
         Q(Text(TextKey::HistoryComplete)), Q(Text(TextKey::HistoryColumnDuration))});
    compare_ = new QPushButton(Q(Text(TextKey::HistoryCompare)), this);
    compare_->setObjectName("historyCompare");
    compare_->setEnabled(false);
    kinds_ = new QComboBox(this);
    kinds_->setObjectName("historyKindFilter");
    kinds_->addItem(Q(Text(TextKey::HistoryAllKinds)), int(kAllChangeKinds));
    for (ChangeKind kind : EachChangeKind(kAllChangeKinds))
        kinds_->addItem(Q(ChangeKindsText(kind)), int(kind));
    changes_ = new ChangeTableModel(this);
    table_ = new QTableView(this);
    table_->setObjectName("historyChanges");
    table_->setModel(changes_);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    export_ = new QPushButton(Q(Text(TextKey::HistoryExport)), this);
    export_->setObjectName("historyExport");
    export_->setEnabled(false);
    status_ = new QLabel(Q(Text(TextKey::HistoryLoading)), this);
    status_->setObjectName("historyStatus");

    auto* row = new QHBoxLayout;
    row->addWidget(compare_);
    row->addWidget(new QLabel(Q(Text(TextKey::HistoryKindFilter)), this));
    row->addWidget(kinds_);
    row->addStretch();
    row->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scanList_, 1);
    layout->addLayout(row);
    layout->addWidget(table_, 3);
    layout->addWidget(status_);
    resize(900, 600);

    connect(scanList_, &QTreeWidget::itemSelectionChanged, this, &CHistoryDlg::SelectionChanged);
    connect(compare_, &QPushButton::clicked, this, &CHistoryDlg::CompareSelected);
    connect(export_, &QPushButton::clicked, this, &CHistoryDlg::ExportChosen);
    connect(kinds_, &QComboBox::currentIndexChanged, this, [this](int) {
        changes_->SetKinds(static_cast<std::uint16_t>(kinds_->currentData().toInt()));
    });

    const std::filesystem::path path = store_;
    const std::string server = url_;
    Run([this, path, server] {
        auto opened = InventoryStore::Open(path);
        std::vector<ScanSummary> scans;
        std::string error;
        if (opened.store) {
            scans = opened.store->Scans(server);
        } else {
            error = Text(TextKey::StoreCannotOpen) + path.string();
        }
        QMetaObject::invokeMethod(
            this,
            [this, scans = std::move(scans), error]() mutable {
                ShowScans(std::move(scans), error);
            },
            Qt::QueuedConnection);
    });
}

CHistoryDlg::~CHistoryDlg() = default;

void CHistoryDlg::Run(std::function<void()> work) {
    busy_ = true;
    loader_.Run(std::move(work));  // one read at a time, in the order asked
}

void CHistoryDlg::ShowScans(std::vector<ScanSummary> scans, std::string error) {
    busy_ = false;
    scans_ = std::move(scans);
    scanList_->clear();
    for (const ScanSummary& scan : scans_) {
        auto* item = new QTreeWidgetItem(
            scanList_,
            {Q(LocalTimeText(scan.facts.startedMs)), QString::number(scan.points),
             Q(Text(scan.facts.complete ? TextKey::HistoryComplete : TextKey::HistoryCutShort)),
             Q(DurationText(scan.facts))});
        item->setData(0, Qt::UserRole, scan.id);
    }
    status_->setText(Q(error));
    emit ScansLoaded();
}

void CHistoryDlg::SelectionChanged() {
    compare_->setEnabled(scanList_->selectedItems().size() == 2 && !Loading());
}

void CHistoryDlg::CompareSelected() {
    const auto selected = scanList_->selectedItems();
    if (selected.size() != 2) return;
    long long a = selected[0]->data(0, Qt::UserRole).toLongLong();
    long long b = selected[1]->data(0, Qt::UserRole).toLongLong();
    if (scanList_->indexOfTopLevelItem(selected[0]) > scanList_->indexOfTopLevelItem(selected[1]))
        std::swap(a, b);
    CompareScans(a, b);
}

void CHistoryDlg::CompareScans(long long before, long long after) {
    status_->setText(Q(Text(TextKey::HistoryLoading)));
    compare_->setEnabled(false);
    const std::filesystem::path path = store_;
    Run([this, path, before, after] {
        auto loaded = std::make_shared<LoadedComparison>();
        std::string error;
        auto opened = InventoryStore::Open(path);
        auto a = opened.store ? opened.store->Points(before) : std::nullopt;
        auto b = opened.store ? opened.store->Points(after) : std::nullopt;
        if (a && b) {
            loaded->before = std::move(*a);
            loaded->after = std::move(*b);
            loaded->comparison = ::CompareScans(loaded->before, loaded->after);
        } else {
            error = Text(TextKey::StoreCannotOpen) + path.string();
            loaded.reset();
        }
        QMetaObject::invokeMethod(
            this,
            [this, loaded, error] {
                ShowComparison(std::const_pointer_cast<const LoadedComparison>(loaded), error);
            },
            Qt::QueuedConnection);
    });
}

void CHistoryDlg::ShowComparison(std::shared_ptr<const LoadedComparison> loaded,
                                 std::string error) {
    busy_ = false;
    if (loaded) {
        const ScanComparison& c = loaded->comparison;
        status_->setText(Q(ChangeKindsText(kChangeAdded) + " " + std::to_string(c.added) + ", " +
                           ChangeKindsText(kChangeRemoved) + " " + std::to_string(c.removed) +
                           ", " + Text(TextKey::ChangedWith) + std::to_string(c.changed)));
    } else {
        status_->setText(Q(error));
    }
    changes_->SetComparison(std::move(loaded));
    export_->setEnabled(changes_->Loaded() != nullptr);
    SelectionChanged();
    emit ComparisonLoaded();
}

bool CHistoryDlg::ExportComparison(const std::string& path) {
    const LoadedComparison* loaded = changes_->Loaded();
    if (!loaded) return false;
    ReplacingFile file = ReplacingFile::Begin(path);
    if (std::filesystem::path(path).extension() == ".xlsx") {
        return WriteChangeWorkbook(ChangeTable(loaded->comparison, loaded->before, loaded->after),
                                   file);
    }
    std::ostringstream csv;
    csv << "\xEF\xBB\xBF";  // spreadsheet programs take the file as UTF-8 then
    ListChanges(loaded->comparison, loaded->before, loaded->after, ChangeListingFormat::Csv, csv);
    const std::string bytes = csv.str();
    return file.IsOpen() && file.Append(bytes.data(), bytes.size()) && file.Commit();
}

void CHistoryDlg::ExportChosen() {
    const QString path = Prompts::SaveFile(this, "Excel (*.xlsx);;CSV (*.csv)", "changes.xlsx");
    if (path.isEmpty()) return;
    if (!ExportComparison(path.toStdString()))
        Prompts::Message(this, Text(TextKey::CliInventoryExportFailed) + path.toStdString());
}
