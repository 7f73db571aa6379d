#include "ui/trend/open_trends.h"

#include <QWidget>
#include <algorithm>
#include <unordered_set>

#include "session/scan_session.h"
#include "ui/center_over.h"
#include "ui/trend/trend_dlg.h"

OpenTrends::OpenTrends(QWidget* w, ScanSession& s) : window(w), session(s) {
    PointRows& rows = session.Rows();
    connect(&rows, &PointRows::RowChanged, this, &OpenTrends::OnRowChanged);
    connect(&rows, &PointRows::AboutToErase, this, &OpenTrends::OnAboutToErase);
    connect(&rows, &PointRows::AboutToClear, this, &OpenTrends::OnAboutToClear);
}

OpenTrends::~OpenTrends() {
    // The windows may outlive this (they belong to the main window); they follow no row then.
    for (CTrendDlg* trend : Windows()) trend->ForgetAll();
}

CTrendDlg* OpenTrends::Open(const std::vector<OPCUAItemData*>& records) {
    auto* trend = new CTrendDlg(window, session, records);
    trend->setAttribute(Qt::WA_DeleteOnClose);
    trends.erase(std::remove_if(trends.begin(), trends.end(),
                                [](const QPointer<CTrendDlg>& t) { return t.isNull(); }),
                 trends.end());
    trends.emplace_back(trend);
    // Its points are followed off screen too, at once and no longer once it closes.
    connect(trend, &QObject::destroyed, &session, &ScanSession::VisibleRowsChanged);
    session.VisibleRowsChanged();
    if (window != nullptr) CenterOver(*trend, *window);
    trend->show();
    return trend;
}

std::vector<CTrendDlg*> OpenTrends::Windows() const {
    std::vector<CTrendDlg*> open;
    for (const QPointer<CTrendDlg>& t : trends)
        if (!t.isNull()) open.push_back(t.data());
    return open;
}

std::vector<OPCUAItemData*> OpenTrends::Records() const {
    std::vector<OPCUAItemData*> records;
    std::unordered_set<const OPCUAItemData*> seen;
    for (CTrendDlg* trend : Windows())
        for (OPCUAItemData* record : trend->Records())
            if (seen.insert(record).second) records.push_back(record);
    return records;
}

void OpenTrends::AddTo(std::vector<VisibleRow>& visible) const {
    std::unordered_set<const OPCUAItemData*> listed;
    for (const VisibleRow& v : visible) listed.insert(v.record);
    for (OPCUAItemData* record : Records())
        if (listed.insert(record).second) visible.push_back({record, -1});
}

void OpenTrends::OnRowChanged(int row) {
    const OPCUAItemData* record = session.Rows().Record(row);
    if (record == nullptr) return;
    for (CTrendDlg* trend : Windows()) trend->OnRecordChanged(*record);
}

void OpenTrends::OnAboutToErase(int first, int last) {
    const std::vector<CTrendDlg*> open = Windows();
    if (open.empty()) return;
    for (int row = first; row <= last; ++row) {
        const OPCUAItemData* record = session.Rows().Record(row);
        for (CTrendDlg* trend : open) trend->Forget(record);
    }
}

void OpenTrends::OnAboutToClear() {
    for (CTrendDlg* trend : Windows()) trend->ForgetAll();
}
