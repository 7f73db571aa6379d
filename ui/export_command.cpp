#include "ui/export_command.h"

#include <QAbstractItemView>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <algorithm>

#include "export/export_source.h"
#include "export/point_export.h"
#include "session/scan_session.h"
#include "texts/export_texts.h"
#include "texts/text_table.h"
#include "ui/export_choice.h"
#include "ui/export_memory.h"
#include "ui/export_worker.h"
#include "ui/point_filter_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/server_history.h"

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
std::vector<OPCUAItemData*> SelectedRecords(const QItemSelectionModel* selection,
                                            const PointFilterModel& shown) {
    if (selection == nullptr) return {};
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

ExportCommand::ExportCommand(QWidget* w, ScanSession& s, PointFilterModel& m, QAbstractItemView& l,
                             QLineEdit& f, QPushButton& b,
                             std::function<void(const std::string&)> st)
    : QObject(w),
      window(w),
      session(s),
      shown(m),
      list(l),
      filterBox(f),
      button(b),
      status(std::move(st)),
      exporter(std::make_unique<ExportWorker>(this)) {
    connect(&progressTimer, &QTimer::timeout, this, &ExportCommand::ShowProgress);
}

ExportCommand::~ExportCommand() { End(); }

bool ExportCommand::Running() const { return exporter && exporter->Running(); }

void ExportCommand::Cancel() {
    if (Running()) exporter->Cancel();  // the outcome comes back as cancelled
}

void ExportCommand::WhenDone(std::function<void()> later) {
    if (!Running()) {
        later();
        return;
    }
    afterExport.push_back(std::move(later));
}

void ExportCommand::End() {
    progressTimer.stop();
    if (exporter) {
        exporter->Cancel();
        exporter->Wait();
    }
    afterExport.clear();
}

bool ExportCommand::ChooseRows(std::vector<OPCUAItemData*>& points) {
    const int shownRows = shown.rowCount();
    const std::vector<OPCUAItemData*>& all = session.Rows().View();
    const auto total = static_cast<int>(all.size());

    // Selected rows are what the user points at: those, all, or none after all (the default,
    // and what Escape means).
    std::vector<OPCUAItemData*> selected = SelectedRecords(list.selectionModel(), shown);
    if (!selected.empty() && selected.size() < all.size()) {
        const int chosen = Prompts::Choice(
            window, Text(TextKey::Export), std::string(),
            {FormatText(TextKey::ExportSelected, static_cast<long long>(selected.size())),
             FormatText(TextKey::ExportAllRows, total), Text(TextKey::Cancel)},
            2, false);
        if (chosen != 0 && chosen != 1) return false;
        points = chosen == 0 ? std::move(selected) : all;
        return true;
    }

    // Without a selection, a filter hiding rows may mean only the rows shown.
    if (shownRows < total && !filterBox.text().trimmed().isEmpty()) {
        const std::string onlyShown = shownRows == 1
                                          ? Text(TextKey::ExportOnlyShownOne)
                                          : FormatText(TextKey::ExportOnlyShown, shownRows);
        const int chosen = Prompts::Choice(
            window, Text(TextKey::Export),
            WithTwoNumbers(Text(TextKey::ExportScopeQuestion), shownRows, total),
            {onlyShown, FormatText(TextKey::ExportAllPoints, total), Text(TextKey::Cancel)}, 2,
            false);
        if (chosen != 0 && chosen != 1) return false;
        if (chosen == 0) {
            points.reserve(static_cast<std::size_t>(shownRows));
            for (int i = 0; i < shownRows; ++i) points.push_back(shown.Record(i));
            return true;
        }
    }
    points = all;
    return true;
}

void ExportCommand::Run(const std::string& url) {
    if (Running()) {
        Cancel();
        return;
    }
    if (url.empty()) return;

    std::vector<OPCUAItemData*> points;
    if (!ChooseRows(points)) return;

    ExportMemory memory(ServerHistory::DefaultPath());
    int chosen = DialogIndexOf(memory.LastFilter());
    bool allAttributes = memory.AllAttributes();
    const QString chosenPath = Prompts::SaveFile(
        window, Q(DialogFilterText()), Q(DefaultNameFor(url, memory.LastFilter())), &chosen,
        Q(Text(TextKey::ExportAllAttributes)), &allAttributes);
    if (chosenPath.isEmpty()) return;
    // The name in the bytes Qt itself would open it by, kept so down to open().
    const std::filesystem::path path(QFile::encodeName(chosenPath).toStdString());
    const SaveFilter filter = DialogFilterAt(chosen);
    memory.Remember(filter, allAttributes);
    const ExportFormat format = ChooseExportFormat(filter, path.native());

    // The file names the server the rows came from; before any connect, the URL typed.
    const auto& settings = session.SessionSettings();
    ConnectionSettings named = settings.value_or(ConnectionSettings{});
    if (!settings) named.url = url;
    ExportSource source = MakeExportSource(named, session.SessionTrust());

    session.HoldRows();
    button.setText(Q(Text(TextKey::Cancel)));

    // A tag list always wants the attributes. They come from the session, which the walk or a
    // connect may have right now; then the file gets the list's columns only.
    const bool wantAttributes =
        (allAttributes && CarriesAttributes(format)) || format == ExportFormat::TagsCsv;
    if (wantAttributes) {
        const auto cancelled = exporter->Hold();
        const auto records = std::make_shared<std::vector<OPCUAItemData*>>(std::move(points));
        QPointer<ExportCommand> self(this);
        const bool reading = session.ReadAttributes(
            records, [cancelled] { return cancelled->load(); },
            [self, records, cancelled, path, format,
             source](const std::shared_ptr<const PointAttributeTable>& table) mutable {
                if (self.isNull()) return;
                if (cancelled->load()) {
                    self->exporter->Release();
                    self->button.setText(Q(Text(TextKey::Export)));
                    self->status(Text(TextKey::ExportCancelled));
                    self->Finish();
                    return;
                }
                self->StartWriting(std::move(*records), path, format, std::move(source), table);
            });
        if (reading) {
            status(Text(TextKey::ReadingAttributes));
            return;
        }
        exporter->Release();
        points = std::move(*records);
    }
    StartWriting(std::move(points), path, format, std::move(source), nullptr);
}

void ExportCommand::StartWriting(std::vector<OPCUAItemData*> points, std::filesystem::path path,
                                 ExportFormat format, ExportSource source,
                                 std::shared_ptr<const PointAttributeTable> attributes) {
    const std::size_t count = points.size();
    exporter->Start(
        std::move(points), std::move(path), format,
        [this, count, format](const ExportResult& result) { OnDone(result, count, format); },
        std::move(source), std::move(attributes));
    ShowProgress();
    progressTimer.start(100);
}

void ExportCommand::ShowProgress() {
    if (!Running()) return;
    status(WithTwoNumbers(Text(TextKey::ExportProgress),
                          static_cast<long long>(exporter->Written()),
                          static_cast<long long>(exporter->Total())));
}

void ExportCommand::OnDone(const ExportResult& result, std::size_t points, ExportFormat format) {
    progressTimer.stop();
    button.setText(Q(Text(TextKey::Export)));
    if (result.cancelled) {
        status(Text(TextKey::ExportCancelled));
    } else if (!result.saved) {
        status(Text(TextKey::ExportFailed));
        Prompts::Message(window, Text(TextKey::ExportFailed));
    } else {
        status(
            FormatText(TextKey::ExportDone, static_cast<long long>(points - result.notExported)));
        // The sheet was full; say how many points did not fit.
        if (result.notExported > 0)
            Prompts::Message(window, CappedExportText(format, result.notExported));
    }
    Finish();
}

void ExportCommand::Finish() {
    // What waited for the end: refresh and write results, a Connect.
    session.ReleaseRows();
    std::vector<std::function<void()>> waiting;
    waiting.swap(afterExport);
    for (auto& run : waiting) run();
}
