#include "ui/history/row_snapshot.h"

#include <QTimer>
#include <algorithm>

#include "store/point_snapshot.h"

RowSnapshot::RowSnapshot(const PointRows& r, Done d, QObject* parent)
    : QObject(parent), rows(r), done(std::move(d)) {
    points.reserve(rows.Size());
    records.reserve(rows.Size());
    connect(&rows, &PointRows::AboutToErase, this, [this](int first, int last) {
        if (finished) return;
        CopyUpTo(static_cast<std::size_t>(last) + 1);
        next -= static_cast<std::size_t>(last - first + 1);
    });
    connect(&rows, &PointRows::AboutToClear, this, [this] {
        if (finished) return;
        CopyUpTo(rows.Size());
        Finish();
    });
    // Rows that go without being cleared leave nothing to copy.
    connect(&rows, &QObject::destroyed, this, [this] {
        finished = true;
        deleteLater();
    });
    QTimer::singleShot(0, this, &RowSnapshot::Step);
}

void RowSnapshot::CopyUpTo(std::size_t end) {
    const auto& view = rows.View();
    end = std::min(end, view.size());
    for (; next < end; ++next) {
        points.push_back(SnapshotOf(*view[next]));
        records.push_back(view[next]);
    }
}

void RowSnapshot::Step() {
    if (finished) return;
    CopyUpTo(next + kSliceRows);
    if (next < rows.Size()) {
        QTimer::singleShot(0, this, &RowSnapshot::Step);
        return;
    }
    Finish();
}

void RowSnapshot::Finish() {
    finished = true;
    deleteLater();
    auto call = std::move(done);
    call(std::move(points), std::move(records));
}
