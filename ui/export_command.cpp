#include "ui/export_command.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

#include "export/point_export.h"
#include "session/scan_session.h"
#include "texts/export_texts.h"
#include "texts/text_table.h"
#include "ui/export_worker.h"
#include "ui/point_filter_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"

namespace {

// `text` with its first two "%d" replaced by `first` and `second`.
std::string WithTwoNumbers(std::string text, long long first, long long second) {
    for (const long long number : {first, second}) {
        const auto at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    }
    return text;
}

}  // namespace

ExportCommand::ExportCommand(QWidget* w, ScanSession& s, PointFilterModel& m, QLineEdit& f,
                             QPushButton& b, std::function<void(const std::string&)> st)
    : QObject(w),
      window(w),
      session(s),
      shown(m),
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

void ExportCommand::Run(const std::string& url) {
    if (Running()) {
        Cancel();
        return;
    }
    if (url.empty()) return;

    // With a filter hiding rows the user says which: the rows shown, all, or none after all
    // (the default, and what Escape means).
    std::vector<OPCUAItemData*> points;
    const int shownRows = shown.rowCount();
    const auto total = static_cast<int>(session.Rows().Size());
    if (shownRows < total && !filterBox.text().trimmed().isEmpty()) {
        const std::string onlyShown = shownRows == 1
                                          ? Text(TextKey::ExportOnlyShownOne)
                                          : FormatText(TextKey::ExportOnlyShown, shownRows);
        const int chosen = Prompts::Choice(
            window, Text(TextKey::Export),
            WithTwoNumbers(Text(TextKey::ExportScopeQuestion), shownRows, total),
            {onlyShown, FormatText(TextKey::ExportAllPoints, total), Text(TextKey::Cancel)}, 2,
            false);
        if (chosen != 0 && chosen != 1) return;
        if (chosen == 0) {
            points.reserve(static_cast<std::size_t>(shownRows));
            for (int i = 0; i < shownRows; ++i) points.push_back(shown.Record(i));
        } else {
            points = session.Rows().View();
        }
    } else {
        points = session.Rows().View();
    }

    QStringList filters;
    for (const std::string& text : ExportFilterTexts()) filters << QString::fromStdString(text);
    int chosen = 0;
    const QString path =
        Prompts::SaveFile(window, filters.join(QStringLiteral(";;")),
                          QString::fromStdString(DefaultExportFileName(url)), &chosen);
    if (path.isEmpty()) return;
    const ExportFormat format =
        ChooseExportFormat(static_cast<SaveFilter>(std::clamp(chosen, 0, 4)), path.toStdString());

    const std::size_t count = points.size();
    exporter->Start(
        std::move(points), path.toStdU16String(), format,
        [this, count, format](const ExportResult& result) { OnDone(result, count, format); });
    session.HoldRows();
    button.setText(Q(Text(TextKey::Cancel)));
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
    // What waited for the end: refresh and write results, a Connect.
    session.ReleaseRows();
    std::vector<std::function<void()>> waiting;
    waiting.swap(afterExport);
    for (auto& run : waiting) run();
}
