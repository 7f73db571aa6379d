// The Export command: every row into an xls workbook, whatever name the user picks.
#include "ui/quorvane_dlg.h"

#include "export/point_export.h"
#include "ui/prompts.h"
#include "ui/text_table.h"

#include <QLineEdit>

void CQuorvaneDlg::OnExport() {
    const std::string url = urlBox->text().toStdString();
    if (url.empty()) return;
    const QString path = Prompts::SaveFile(
        this, QStringLiteral("Excel CSV File(*.csv);;Text File(*.txt);;All File(*.*)"),
        QString::fromStdString(DefaultExportFileName(url)));
    if (path.isEmpty()) return;
    const ExportResult result = ExportPoints(rows, path.toStdU16String());
    if (!result.saved) {
        Prompts::Message(this, Text(TextKey::ExportFailed));
    } else if (result.notExported > 0) {
        // The sheet holds 65,535 points below its header; say how many did not fit.
        Prompts::Message(this, FormatText(TextKey::ExportCapped,
                                          static_cast<long long>(result.notExported)));
    }
}
