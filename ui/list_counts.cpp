#include "ui/list_counts.h"

#include <QLineEdit>

#include "session/scan_session.h"
#include "ui/point_filter_model.h"
#include "ui/status_line.h"
#include "ui/window_scans.h"

ListCounts::ListCounts(Parts p, QObject* parent) : QObject(parent), parts(p) {
    connect(parts.filterModel, &PointFilterModel::CountsChanged, this, [this] {
        if (Filtered() && !parts.session->WalkRunning()) {
            ShowFilterCount();
        } else {
            Show();
        }
    });
}

bool ListCounts::Filtered() const { return !parts.filterBox->text().trimmed().isEmpty(); }

void ListCounts::ShowFilterCount() {
    parts.statusLine->SetCount(
        FilterCountText(parts.filterModel->rowCount(), parts.filterModel->TotalCount()));
}

void ListCounts::WalkEnded(bool lost) {
    totalKey = lost ? TextKey::SearchLost : TextKey::SearchDone;
    parts.statusLine->MarkCount();  // the session's own text says the total
    if (Filtered()) ShowFilterCount();
}

void ListCounts::FilterChanged() {
    if (Filtered()) {
        ShowFilterCount();
    } else {
        Show();
    }
}

void ListCounts::Show() {
    const ScanSession& session = *parts.session;
    if (!parts.statusLine->ShowsCounts() || session.WalkRunning() || session.Connecting()) return;
    if (Filtered()) {
        ShowFilterCount();
        return;
    }
    parts.statusLine->SetCount(
        TotalCountText(totalKey, session.Rows().Size(), parts.scans->SinceLastScan()));
}
