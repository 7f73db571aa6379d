// The Export command: every row (or, with a filter, the rows shown if the user says so) into an
// .xls, .xlsx or .csv file, by the chosen file type or the typed extension. The file is written
// on a thread of its own; the button cancels it meanwhile. The rows do not change while they are
// exported: refresh and write results wait until it ends, deleting waits too.
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

#include "export/export_format.h"
#include "export/point_export.h"
#include "texts/export_texts.h"
#include "texts/text_table.h"
#include "ui/export_worker.h"
#include "ui/point_filter_model.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/quorvane_dlg.h"

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

bool CQuorvaneDlg::ExportRunning() const { return exporter && exporter->Running(); }

void CQuorvaneDlg::OnExport() {
    if (ExportRunning()) {
        exporter->Cancel();  // the outcome comes back as cancelled
        return;
    }
    const std::string url = urlBox->text().toStdString();
    if (url.empty()) return;

    // With a filter hiding rows, the user may want only what is shown; all is the default.
    std::vector<OPCUAItemData*> points;
    const int shown = filterModel->rowCount();
    const auto total = static_cast<int>(rows.size());
    if (shown < total && !filterBox->text().trimmed().isEmpty() &&
        Prompts::Question(this, WithTwoNumbers(Text(TextKey::ExportScopeQuestion), shown, total))) {
        points.reserve(static_cast<std::size_t>(shown));
        for (int i = 0; i < shown; ++i) points.push_back(filterModel->Record(i));
    } else {
        points = rows;
    }

    QStringList filters;
    for (const std::string& text : ExportFilterTexts()) filters << QString::fromStdString(text);
    int chosen = 0;
    const QString path =
        Prompts::SaveFile(this, filters.join(QStringLiteral(";;")),
                          QString::fromStdString(DefaultExportFileName(url)), &chosen);
    if (path.isEmpty()) return;
    const ExportFormat format =
        ChooseExportFormat(static_cast<SaveFilter>(std::clamp(chosen, 0, 4)), path.toStdString());

    const std::size_t count = points.size();
    exporter->Start(
        std::move(points), path.toStdU16String(), format,
        [this, count, format](const ExportResult& result) { OnExportDone(result, count, format); });
    exportButton->setText(Q(Text(TextKey::Cancel)));
    ShowExportProgress();
    exportProgressTimer.start(100);
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
