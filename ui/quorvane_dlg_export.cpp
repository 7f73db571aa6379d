// The Export command: every row into an .xls, .xlsx or .csv file, by the chosen file type or the
// typed extension.
#include <QLineEdit>
#include <QStringList>
#include <algorithm>

#include "export/export_format.h"
#include "export/point_export.h"
#include "texts/export_texts.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"
#include "texts/text_table.h"

void CQuorvaneDlg::OnExport() {
    const std::string url = urlBox->text().toStdString();
    if (url.empty()) return;
    QStringList filters;
    for (const std::string& text : ExportFilterTexts()) filters << QString::fromStdString(text);
    int chosen = 0;
    const QString path =
        Prompts::SaveFile(this, filters.join(QStringLiteral(";;")),
                          QString::fromStdString(DefaultExportFileName(url)), &chosen);
    if (path.isEmpty()) return;
    const ExportFormat format =
        ChooseExportFormat(static_cast<SaveFilter>(std::clamp(chosen, 0, 4)), path.toStdString());
    const ExportResult result = ExportPoints(rows, path.toStdU16String(), format);
    if (!result.saved) {
        Prompts::Message(this, Text(TextKey::ExportFailed));
    } else if (result.notExported > 0) {
        // The sheet was full; say how many points did not fit.
        Prompts::Message(this, CappedExportText(format, result.notExported));
    }
}
