// The details of a point: the dialog opens at once, the Read runs on the session's thread.
#include <QPointer>

#include "engine/point_details.h"
#include "ui/point_details_dlg.h"
#include "ui/point_filter_model.h"
#include "ui/quorvane_dlg.h"
#include "ui/session_worker.h"

void CQuorvaneDlg::OpenDetails(int row) {
    const OPCUAItemData* record = filterModel->Record(row);
    if (record == nullptr) return;
    detailsDialog = std::make_unique<PointDetailsDlg>(this, record->displayName, record->Path());
    CenterOverThis(*detailsDialog);
    detailsDialog->show();

    UaNodeId nodeId = UaNodeId::CopyOf(record->nodeId);
    QPointer<PointDetailsDlg> target(detailsDialog.get());
    const auto show = [target](const PointDetails& details) {
        if (!target.isNull()) target->ShowDetails(details);
    };
    if (WalkRunning() || connecting) {
        // The walk or the connect has the session; asking now would share it between threads.
        PointDetails busy;
        busy.status = UA_STATUSCODE_BADINVALIDSTATE;
        show(busy);
        return;
    }
    // The job owns its copy of the NodeId: the row may go while it waits its turn.
    auto id = std::make_shared<UaNodeId>(std::move(nodeId));
    worker->Post([this, id] { return ReadPointDetails(browser.Client(), **id); }, show);
}
