#pragma once

#include <QObject>

#include "texts/text_table.h"

class PointFilterModel;
class QLineEdit;
class ScanSession;
class StatusLine;
class WindowScans;

// The list's counts on the status line: the walk's total (with what changed since the last
// scan) or, with a filter, "<shown> of <total>", kept true as rows and the filter change. A
// message about the connection stays until the next one replaces it.
class ListCounts : public QObject {
    Q_OBJECT
public:
    struct Parts {
        StatusLine* statusLine = nullptr;
        PointFilterModel* filterModel = nullptr;
        QLineEdit* filterBox = nullptr;
        const ScanSession* session = nullptr;
        const WindowScans* scans = nullptr;
    };
    ListCounts(Parts parts, QObject* parent);

    // The walk ended, `lost` when its session went on the way: the line now shows its count.
    void WalkEnded(bool lost);
    // The filter's text changed: its count, or the total when it emptied.
    void FilterChanged();
    // After rows went: the counts again, if the line shows them.
    void Show();

private:
    bool Filtered() const;
    void ShowFilterCount();

    Parts parts;
    TextKey totalKey = TextKey::SearchDone;  // how the count reads without a filter
};
