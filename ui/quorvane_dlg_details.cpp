// The details of a point: the dialog opens at once, the session reads them on its thread.
#include <QPointer>

#include "engine/point_details.h"
#include "ui/point_details_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/quorvane_dlg.h"

void CQuorvaneDlg::OpenDetails(int row) {
    const OPCUAItemData* record = filterModel->Record(row);
    if (record == nullptr) return;
    detailsDialog = std::make_unique<PointDetailsDlg>(this, record->displayName, record->Path());
    CenterOverThis(*detailsDialog);
    detailsDialog->show();

    QPointer<PointDetailsDlg> target(detailsDialog.get());
    session->ReadDetails(record->nodeId, [target](const PointDetails& details) {
        if (!target.isNull()) target->ShowDetails(details);
    });
}
