// Context menu of the point list and its commands: delete, copy identifier, write value.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

#include "engine/value_from_text.h"
#include "texts/text_table.h"
#include "ui/cell_text.h"
#include "ui/export_command.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"
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
constexpr MenuEntry kChineseMenu[] = {{"删除", CQuorvaneDlg::kDeleteZh},
                                      {"写值", CQuorvaneDlg::kWriteZh},
                                      {"复制点名", CQuorvaneDlg::kCopyZh}};
constexpr MenuEntry kEnglishMenu[] = {{"delete", CQuorvaneDlg::kDeleteEn},
                                      {"write value", CQuorvaneDlg::kWriteEn},
                                      {"copy name", CQuorvaneDlg::kCopyEn}};

}  // namespace

std::unique_ptr<QMenu> CQuorvaneDlg::BuildContextMenu() const {
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
    if (!listView->selectionModel()->hasSelection()) {
        remove->setEnabled(false);
        write->setEnabled(false);
    }
    const OPCUAItemData* pointed = filterModel->Record(listView->RowAtGlobal(menuPoint));
    if (pointed == nullptr) properties->setEnabled(false);
    if (pointed != nullptr && !CanWrite(*pointed)) write->setEnabled(false);
    menu->addSeparator();
    menu->addAction(Q(Text(TextKey::HistoryButton)))->setData(kHistory);
    menu->addAction(Q(Text(TextKey::InventoryButton)))->setData(kInventory);
    QAction* keep = menu->addAction(Q(Text(TextKey::KeepScanHistory)));
    keep->setData(kKeepHistory);
    keep->setCheckable(true);
    keep->setChecked(history->KeepScanHistory());
    return menu;
}

void CQuorvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    OpenContextMenu(event->globalPos());
    event->accept();
}

void CQuorvaneDlg::OpenContextMenu(const QPoint& globalPos) {
    menuPoint = globalPos;
    auto menu = BuildContextMenu();
    if (const OPCUAItemData* pointed = filterModel->Record(listView->RowAtGlobal(menuPoint))) {
        const WriteRefusal why = WhyNotWritable(*pointed);
        if (why != WriteRefusal::kNone) SetStatus(Text(RefusalText(why)));
    }
    const QPoint at(globalPos.x() - menu->sizeHint().width() / 2, globalPos.y());
    QAction* chosen = menuRunner ? menuRunner(*menu, at) : menu->exec(at);
    if (chosen != nullptr && chosen->isEnabled()) OnMenuCommand(chosen->data().toInt());
}

void CQuorvaneDlg::OnMenuCommand(int id) {
    switch (id) {
        case kDeleteZh:
        case kDeleteEn:
            DeleteSelectedRows();
            break;
        case kCopyZh:
        case kCopyEn:
            CopyIdentifier(listView->RowAtGlobal(menuPoint));
            break;
        case kWriteZh:
        case kWriteEn:
            OpenWriteDialog();
            break;
        case kPropertiesZh:
        case kPropertiesEn:
            OpenDetails(listView->RowAtGlobal(menuPoint));
            break;
        case kHistory:
            OpenHistory();
            break;
        case kInventory:
            OpenInventory();
            break;
        case kKeepHistory:
            SetKeepScanHistory(!history->KeepScanHistory());
            break;
        default:
            break;
    }
}

void CQuorvaneDlg::DeleteSelectedRows() {
    if (ExportRunning()) return;  // the export reads these rows
    // The selection is of shown rows; the table removes by its own rows.
    std::vector<int> selected;
    for (const QModelIndex& index : listView->selectionModel()->selectedRows()) {
        const int source = filterModel->SourceRow(index.row());
        if (source >= 0) selected.push_back(source);
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    // Runs of adjacent rows go in one removal, last run first so earlier indices stay valid.
    auto end = selected.end();
    while (end != selected.begin()) {
        auto first = end - 1;
        while (first != selected.begin() && *(first - 1) == *first - 1) --first;
        model->DeleteRows(static_cast<std::size_t>(*first), static_cast<std::size_t>(end - first));
        end = first;
    }
}

void CQuorvaneDlg::CopyIdentifier(int row) {
    const OPCUAItemData* record = filterModel->Record(row);
    if (record == nullptr) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(QString::fromUtf8(CopyText(*record)));
    }
}

void CQuorvaneDlg::OpenWriteDialog() {
    const OPCUAItemData* record = filterModel->Record(listView->RowAtGlobal(menuPoint));
    if (record == nullptr || !CanWrite(*record)) return;
    writeDialog.reset();
    const std::string url = urlBox->text().toStdString();
    writeDialog = std::make_unique<CWriteValueDlg>(
        this, *record, record->typeIndex, optionsDialog.get(), url,
        [this](const UA_NodeId& nodeId, std::string& text, bool failed) {
            OnWriteResult(nodeId, text, failed);
        });
    writeDialog->adjustSize();
    CenterOverThis(*writeDialog);
    writeDialog->show();
}

void CQuorvaneDlg::OnWriteResult(const UA_NodeId& nodeId, std::string& text, bool failed) {
    if (ExportRunning()) {
        // The row changes once the export that reads it has ended.
        auto id = std::make_shared<UaNodeId>(UaNodeId::CopyOf(nodeId));
        exportCommand->WhenDone(
            [this, id, text, failed]() mutable { OnWriteResult(**id, text, failed); });
        return;
    }
    if (failed) {
        // `text` names the status the write ended with, when there is one.
        const std::string message =
            text.empty() ? Text(TextKey::WriteFailed) : Text(TextKey::WriteFailed) + " " + text;
        SetStatus(message);
        Prompts::Message(this, message);
        return;
    }
    // What the status said about the point before is over: the write says how it went.
    std::string done = Text(TextKey::WriteDone);
    const auto at = done.find("%s");
    if (at != std::string::npos) done.replace(at, 2, text);
    SetStatus(done);
    // The point is found by its NodeId: rows may have moved or gone since the dialog opened.
    const int row = session->Rows().RowOf(nodeId);
    if (row >= 0) model->SetValue(row, text);
}
