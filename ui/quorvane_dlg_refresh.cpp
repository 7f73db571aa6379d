// The refresh cycle: re-read the values of the rows on screen, re-establish a lost session.
#include "ui/quorvane_dlg.h"

#include "ui/login_option_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/visible_rows.h"

#include <QLineEdit>

std::vector<OPCUAItemData*> CQuorvaneDlg::VisibleRecords() const {
    // The rows on screen are rows of the filtered, sorted list.
    const int shownRows = filterModel->rowCount();
    const RowRange range = VisibleRows(listView->FirstVisibleRow(), listView->RowsPerPage(),
                                       shownRows, static_cast<std::size_t>(shownRows));
    std::vector<OPCUAItemData*> visible;
    visible.reserve(range.count);
    for (std::size_t i = range.first; i < range.first + range.count; ++i) {
        OPCUAItemData* record = filterModel->Record(static_cast<int>(i));
        // A row whose type was never read is left out for good.
        if (record != nullptr && !record->dataType.empty()) visible.push_back(record);
    }
    return visible;
}

void CQuorvaneDlg::OnRefreshPass() {
    const auto started = std::chrono::steady_clock::now();
    refreshTimer.stop();

    const std::vector<OPCUAItemData*> visible = VisibleRecords();

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
