// The refresh cycle: re-read the values of the rows on screen, re-establish a lost session.
#include "ui/quorvane_dlg.h"

#include "ui/login_option_dlg.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/visible_rows.h"

#include <QLineEdit>

void CQuorvaneDlg::OnRefreshPass() {
    const auto started = std::chrono::steady_clock::now();
    refreshTimer.stop();

    const RowRange range = VisibleRows(listView->FirstVisibleRow(), listView->RowsPerPage(),
                                       model->rowCount(), rows.size());
    std::vector<OPCUAItemData*> visible;
    visible.reserve(range.count);
    for (std::size_t i = range.first; i < range.first + range.count; ++i) {
        // A row whose type was never read is left out for good.
        if (!rows[i]->dataType.empty()) visible.push_back(rows[i]);
    }

    if (lastReadResult == -1) {
        browser.Disconnect();
        const auto settings = optionsDialog->Settings(urlBox->text().toStdString());
        if (browser.Connect(settings) != ConnectOutcome::Connected) {
            for (OPCUAItemData* record : visible) record->quality = "UNCERTAIN";
            listView->viewport()->update();
            refreshTimer.start(timing.retryMs);
            lastRefreshDuration = std::chrono::steady_clock::now() - started;
            return;
        }
    }

    lastReadResult = browser.ReadValues(visible);
    listView->viewport()->update();
    refreshTimer.start(timing.refreshMs);
    lastRefreshDuration = std::chrono::steady_clock::now() - started;
}
