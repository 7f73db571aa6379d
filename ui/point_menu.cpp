#include "ui/point_menu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPointer>
#include <algorithm>

#include "engine/point_details.h"
#include "engine/value_from_text.h"
#include "session/scan_session.h"
#include "texts/text_table.h"
#include "ui/cell_text.h"
#include "ui/center_over.h"
#include "ui/export_command.h"
#include "ui/point_details_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/server_history.h"
#include "ui/trend/live_sample.h"
#include "ui/trend/open_trends.h"
#include "ui/write_value_dlg.h"

namespace {

struct MenuEntry {
    const char* text;
    int id;
};

// Why the write command is grayed for a point, for the status line.
TextKey RefusalText(WriteRefusal why) {
    switch (why) {
        case WriteRefusal::kNeverRead:
            return TextKey::WriteRefusedNeverRead;
        case WriteRefusal::kArray:
            return TextKey::WriteRefusedArray;
        case WriteRefusal::kNoTextForm:
            return TextKey::WriteRefusedType;
        default:
            return TextKey::WriteRefusedReadOnly;
    }
}
// Positions 0, 2 and 3; position 1 is the separator. Properties (position 4) comes from the
// text table.
constexpr MenuEntry kChineseMenu[] = {{"删除", PointMenu::kDeleteZh},
                                      {"写值", PointMenu::kWriteZh},
                                      {"复制点名", PointMenu::kCopyZh}};
constexpr MenuEntry kEnglishMenu[] = {{"delete", PointMenu::kDeleteEn},
                                      {"write value", PointMenu::kWriteEn},
                                      {"copy name", PointMenu::kCopyEn}};

// The records of the selected shown rows, in the order shown; empty when one of them cannot be
// plotted.
std::vector<OPCUAItemData*> TrendRecords(const PointListView& view, const PointFilterModel& shown) {
    QModelIndexList selected = view.selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<OPCUAItemData*> records;
    for (const QModelIndex& index : selected) {
        OPCUAItemData* record = shown.Record(index.row());
        if (record == nullptr || !CanTrend(*record)) return {};
        records.push_back(record);
    }
    return records;
}

}  // namespace

PointMenu::PointMenu(Parts p)
    : parts(std::move(p)), trends(std::make_unique<OpenTrends>(parts.window, *parts.session)) {}

PointMenu::~PointMenu() = default;

bool PointMenu::ExportRunning() const {
    return parts.exportCommand != nullptr && parts.exportCommand->Running();
}

std::unique_ptr<QMenu> PointMenu::BuildContextMenu() const {
    const MenuEntry* entries = language == 0 ? kChineseMenu : kEnglishMenu;
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("pointMenu"));
    auto add = [&menu](const MenuEntry& e) {
        QAction* action = menu->addAction(QString::fromUtf8(e.text));
        action->setData(e.id);
        return action;
    };
    QAction* remove = add(entries[0]);
    menu->addSeparator();
    QAction* write = add(entries[1]);
    add(entries[2]);
    QAction* properties = menu->addAction(Q(Text(TextKey::Properties)));
    properties->setData(language == 0 ? kPropertiesZh : kPropertiesEn);
    if (!parts.listView->selectionModel()->hasSelection()) {
        remove->setEnabled(false);
        write->setEnabled(false);
    }
    const OPCUAItemData* pointed =
        parts.filterModel->Record(parts.listView->RowAtGlobal(menuPoint));
    if (pointed == nullptr) properties->setEnabled(false);
    if (pointed != nullptr && !CanWrite(*pointed)) write->setEnabled(false);
    menu->addSeparator();
    menu->addAction(Q(Text(TextKey::HistoryButton)))->setData(kHistory);
    menu->addAction(Q(Text(TextKey::InventoryButton)))->setData(kInventory);
    QAction* trend = menu->addAction(Q(Text(TextKey::Trend)));
    trend->setData(kTrend);
    trend->setEnabled(!TrendRecords(*parts.listView, *parts.filterModel).empty());
    QAction* keep = menu->addAction(Q(Text(TextKey::KeepScanHistory)));
    keep->setData(kKeepHistory);
    keep->setCheckable(true);
    keep->setChecked(parts.history->KeepScanHistory());
    return menu;
}

void PointMenu::OpenContextMenu(const QPoint& globalPos) {
    menuPoint = globalPos;
    auto menu = BuildContextMenu();
    if (const OPCUAItemData* pointed =
            parts.filterModel->Record(parts.listView->RowAtGlobal(menuPoint))) {
        const WriteRefusal why = WhyNotWritable(*pointed);
        if (why != WriteRefusal::kNone) parts.setStatus(Text(RefusalText(why)));
    }
    const QPoint at(globalPos.x() - menu->sizeHint().width() / 2, globalPos.y());
    QAction* chosen = menuRunner ? menuRunner(*menu, at) : menu->exec(at);
    if (chosen != nullptr && chosen->isEnabled()) OnMenuCommand(chosen->data().toInt());
}

void PointMenu::OnMenuCommand(int id) {
    switch (id) {
        case kDeleteZh:
        case kDeleteEn:
            DeleteSelectedRows();
            break;
        case kCopyZh:
        case kCopyEn:
            CopyIdentifier(parts.listView->RowAtGlobal(menuPoint));
            break;
        case kWriteZh:
        case kWriteEn:
            OpenWriteDialog();
            break;
        case kPropertiesZh:
        case kPropertiesEn:
            OpenDetails(parts.listView->RowAtGlobal(menuPoint));
            break;
        case kHistory:
            parts.openHistory();
            break;
        case kInventory:
            parts.openInventory();
            break;
        case kTrend:
            OpenTrend();
            break;
        case kKeepHistory:
            parts.history->SetKeepScanHistory(!parts.history->KeepScanHistory());
            break;
        default:
            break;
    }
}

void PointMenu::DeleteSelectedRows() {
    if (ExportRunning()) return;  // the export reads these rows
    // The selection is of shown rows; the table removes by its own rows.
    std::vector<int> selected;
    for (const QModelIndex& index : parts.listView->selectionModel()->selectedRows()) {
        const int source = parts.filterModel->SourceRow(index.row());
        if (source >= 0) selected.push_back(source);
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    // Runs of adjacent rows go in one removal, last run first so earlier indices stay valid.
    auto end = selected.end();
    while (end != selected.begin()) {
        auto first = end - 1;
        while (first != selected.begin() && *(first - 1) == *first - 1) --first;
        parts.model->DeleteRows(static_cast<std::size_t>(*first),
                                static_cast<std::size_t>(end - first));
        end = first;
    }
}

void PointMenu::CopyIdentifier(int row) {
    const OPCUAItemData* record = parts.filterModel->Record(row);
    if (record == nullptr) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(QString::fromUtf8(CopyText(*record)));
    }
}

void PointMenu::OpenWriteDialog() {
    const OPCUAItemData* record = parts.filterModel->Record(parts.listView->RowAtGlobal(menuPoint));
    if (record == nullptr || !CanWrite(*record)) return;
    writeDialog.reset();
    const std::string url = parts.url();
    writeDialog = std::make_unique<CWriteValueDlg>(
        parts.window, *record, record->typeIndex, parts.optionsDialog, url,
        [this](const UA_NodeId& nodeId, std::string& text, bool failed) {
            OnWriteResult(nodeId, text, failed);
        },
        *parts.session);
    writeDialog->adjustSize();
    CenterOver(*writeDialog, *parts.window);
    writeDialog->show();
}

void PointMenu::OnWriteResult(const UA_NodeId& nodeId, std::string& text, bool failed) {
    if (ExportRunning()) {
        // The row changes once the export that reads it has ended.
        auto id = std::make_shared<UaNodeId>(UaNodeId::CopyOf(nodeId));
        parts.exportCommand->WhenDone(
            [this, id, text, failed]() mutable { OnWriteResult(**id, text, failed); });
        return;
    }
    if (failed) {
        // `text` names the status the write ended with, when there is one.
        const std::string message =
            text.empty() ? Text(TextKey::WriteFailed) : Text(TextKey::WriteFailed) + " " + text;
        parts.setStatus(message);
        Prompts::Message(parts.window, message);
        return;
    }
    // What the status said about the point before is over: the write says how it went.
    std::string done = Text(TextKey::WriteDone);
    const auto at = done.find("%s");
    if (at != std::string::npos) done.replace(at, 2, text);
    parts.setStatus(done);
    // The point is found by its NodeId: rows may have moved or gone since the dialog opened.
    const int row = parts.session->Rows().RowOf(nodeId);
    if (row >= 0) parts.model->SetValue(row, text);
}

CTrendDlg* PointMenu::OpenTrend() {
    const std::vector<OPCUAItemData*> records = TrendRecords(*parts.listView, *parts.filterModel);
    if (records.empty()) return nullptr;
    return trends->Open(records);
}

void PointMenu::OpenDetails(int row) {
    const OPCUAItemData* record = parts.filterModel->Record(row);
    if (record == nullptr) return;
    detailsDialog =
        std::make_unique<PointDetailsDlg>(parts.window, record->displayName, record->Path());
    CenterOver(*detailsDialog, *parts.window);
    detailsDialog->show();

    QPointer<PointDetailsDlg> target(detailsDialog.get());
    parts.session->ReadDetails(record->nodeId, [target](const PointDetails& details) {
        if (!target.isNull()) target->ShowDetails(details);
    });
}
