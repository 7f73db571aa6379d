// The Export command: every row, the selected rows or (with a filter, if the user says so) the
// rows shown, in the file type chosen by purpose or by the typed extension, remembered for next
// time. With "all attributes" checked, the points' attributes are read on the session's thread
// first. The file is written on a thread of its own; the button cancels either step meanwhile.
// The rows do not change while they are exported: refresh and write results wait until it
// ends, deleting waits too.
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "engine/attributes/point_attribute_read.h"
#include "export/export_format.h"
#include "export/export_source.h"
#include "export/point_export.h"
#include "texts/export_texts.h"
#include "texts/text_table.h"
#include "ui/export_choice.h"
#include "ui/export_memory.h"
#include "ui/export_worker.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"
#include "ui/server_history.h"
#include "ui/session_worker.h"

namespace {

// `text` with its first two "%d" replaced by `first` and `second`.
std::string WithTwoNumbers(std::string text, long long first, long long second) {
    for (const long long number : {first, second}) {
        const auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    }
    return text;
}

// The selected rows' records, in the order the list shows them.
std::vector<OPCUAItemData*> SelectedRecords(QItemSelectionModel* selection,
                                            const PointFilterModel& shown) {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selection->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<OPCUAItemData*> records;
    records.reserve(rows.size());
    for (const int r : rows) {
        if (OPCUAItemData* record = shown.Record(r)) records.push_back(record);
    }
    return records;
}

}  // namespace

bool CQuorvaneDlg::ExportRunning() const { return exporter && exporter->Running(); }

void CQuorvaneDlg::OnExport() {
    if (ExportRunning()) {
        exporter->Cancel();  // the outcome comes back as cancelled
        return;
    }
    const std::string url = urlBox->text().toStdString();
    if (url.empty()) return;

    // Selected rows are what the user points at; without a selection, a filter hiding rows may
    // mean only what is shown. All is the default.
    std::vector<OPCUAItemData*> points;
    const int shown = filterModel->rowCount();
    const auto total = static_cast<int>(rows.size());
    std::vector<OPCUAItemData*> selected =
        SelectedRecords(listView->selectionModel(), *filterModel);
    if (!selected.empty() && selected.size() < rows.size()) {
        const std::vector<std::string> buttons = {
            FormatText(TextKey::ExportSelected, static_cast<long long>(selected.size())),
            FormatText(TextKey::ExportAllRows, total), Text(TextKey::Cancel)};
        const int answer =
            Prompts::Choice(this, Text(TextKey::Export), std::string(), buttons, 2, false);
        if (answer == 2) return;
        if (answer == 0) {
            points = std::move(selected);
        } else {
            points = rows;
        }
    } else if (shown < total && !filterBox->text().trimmed().isEmpty() &&
               Prompts::Question(
                   this, WithTwoNumbers(Text(TextKey::ExportScopeQuestion), shown, total))) {
        points.reserve(static_cast<std::size_t>(shown));
        for (int i = 0; i < shown; ++i) points.push_back(filterModel->Record(i));
    } else {
        points = rows;
    }

    ExportMemory memory(ServerHistory::DefaultPath());
    int chosen = DialogIndexOf(memory.LastFilter());
    bool allAttributes = memory.AllAttributes();
    const QString path =
        Prompts::SaveFile(this, Q(DialogFilterText()), Q(DefaultNameFor(url, memory.LastFilter())),
                          &chosen, Q(Text(TextKey::ExportAllAttributes)), &allAttributes);
    if (path.isEmpty()) return;
    const SaveFilter filter = DialogFilterAt(chosen);
    memory.Remember(filter, allAttributes);
    const ExportFormat format = ChooseExportFormat(filter, path.toStdString());

    ConnectionSettings settings = sessionSettings.value_or(ConnectionSettings{});
    if (!sessionSettings) settings.url = url;
    ExportSource source = MakeExportSource(settings, browser.LastServerTrust());
    const std::size_t count = points.size();
    const auto done = [this, count, format](const ExportResult& result) {
        OnExportDone(result, count, format);
    };
    exportButton->setText(Q(Text(TextKey::Cancel)));

    // The attributes come from the session, which the walk or a connect may hold right now;
    // then the file gets the list's columns only. A tag list always wants them.
    const bool wantAttributes =
        (allAttributes && CarriesAttributes(format)) || format == ExportFormat::TagsCsv;
    if (!wantAttributes || !sessionSettings || WalkRunning() || connecting) {
        exporter->Start(std::move(points), path.toStdU16String(), format, done, std::move(source));
        ShowExportProgress();
        exportProgressTimer.start(100);
        return;
    }
    SetStatus(Text(TextKey::ReadingAttributes));
    const auto cancelled = exporter->Hold();
    const auto records = std::make_shared<std::vector<OPCUAItemData*>>(std::move(points));
    worker->Post(
        [this, records, cancelled] {
            auto table = std::make_shared<PointAttributeTable>();
            if (!browser.HasSession()) return table;
            ServerLimits limits;
            UA_DateTime time = 0;
            // Closing the window cancels the export too.
            const auto stop = [&] { return cancelled->load(); };
            if (ReadServerLimits(browser.Client(), limits, time, stop) != UA_STATUSCODE_GOOD)
                limits = {};
            ReadPointAttributes(browser.Client(), *records, limits, *table, nullptr, stop);
            return table;
        },
        [this, records, cancelled, path, format, done,
         source](const std::shared_ptr<PointAttributeTable>& table) mutable {
            if (cancelled->load()) {
                exporter->Release();
                exportButton->setText(Q(Text(TextKey::Export)));
                SetStatus(Text(TextKey::ExportCancelled));
                RunAfterExport();
                return;
            }
            exporter->Start(std::move(*records), path.toStdU16String(), format, done,
                            std::move(source), table);
            ShowExportProgress();
            exportProgressTimer.start(100);
        });
}

void CQuorvaneDlg::ShowExportProgress() {
    if (!ExportRunning()) return;
    SetStatus(WithTwoNumbers(Text(TextKey::ExportProgress),
                             static_cast<long long>(exporter->Written()),
                             static_cast<long long>(exporter->Total())));
}

void CQuorvaneDlg::OnExportDone(const ExportResult& result, std::size_t points,
                                ExportFormat format) {
    exportProgressTimer.stop();
    exportButton->setText(Q(Text(TextKey::Export)));
    if (result.cancelled) {
        SetStatus(Text(TextKey::ExportCancelled));
    } else if (!result.saved) {
        SetStatus(Text(TextKey::ExportFailed));
        Prompts::Message(this, Text(TextKey::ExportFailed));
    } else {
        SetStatus(
            FormatText(TextKey::ExportDone, static_cast<long long>(points - result.notExported)));
        // The sheet was full; say how many points did not fit.
        if (result.notExported > 0)
            Prompts::Message(this, CappedExportText(format, result.notExported));
    }
    RunAfterExport();
}

void CQuorvaneDlg::RunAfterExport() {
    std::vector<std::function<void()>> waiting;
    waiting.swap(afterExport);
    for (auto& run : waiting) run();
}
