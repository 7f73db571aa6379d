// What the window's side of the scan history costs the user-interface thread at 200,000 points:
// the rows copied for the history in one go and a slice per turn of the event loop (the longest
// stall each), the Change column filled from a comparison, and the change: filter.
// Usage: history_rows_bench [points]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/ui/stall_watch.h"
#include "engine/object_paths.h"
#include "history/scan_comparison.h"
#include "session/point_rows.h"
#include "store/point_snapshot.h"
#include "ui/cell_text.h"
#include "ui/history/row_snapshot.h"
#include "ui/point_filter_model.h"
#include "ui/point_table_model.h"

namespace {

// Points as a plant's look: numeric NodeIds, folders of 1000 two levels deep.
void Fill(PointRows& rows, int count) {
    auto paths = std::make_shared<ObjectPaths>();
    const std::uint32_t generated = paths->Add(ObjectPaths::kObjects, "Generated");
    std::vector<std::uint32_t> folders;
    for (int f = 0; f * 1000 < count; ++f) {
        const std::uint32_t group =
            f % 10 == 0 ? paths->Add(generated, "Group" + std::to_string(f / 10)) : folders.back();
        folders.push_back(
            paths->Add(f % 10 == 0 ? group : paths->ParentOf(group), "Folder" + std::to_string(f)));
    }
    std::vector<OPCUAItemData*> batch;
    batch.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        auto* r = new OPCUAItemData(UA_NODEID_NUMERIC(3, 1000000u + static_cast<UA_UInt32>(k)),
                                    std::to_string(k % 977), k % 7 ? "Int32" : "Double",
                                    "Point" + std::to_string(k), "2026-12-09 14:03:09", "GOOD");
        r->paths = paths;
        r->object = folders[static_cast<std::size_t>(k / 1000)];
        r->accessKnown = true;
        r->userAccessLevel = 3;
        batch.push_back(r);
    }
    rows.Append(batch);
}

double MsSince(BenchClock::time_point start) { return Ms(BenchClock::now() - start); }

}  // namespace

int main(int argc, char** argv) {
    const int points = argc > 1 ? std::atoi(argv[1]) : 200000;
    QApplication app(argc, argv);
    PointRows rows;
    PointTableModel model(rows, nullptr);
    PointFilterModel shown(&model, nullptr);
    Fill(rows, points);
    std::printf("%d points\n", points);

    // As the window did: the whole copy in one handler.
    for (int run = 0; run < 3; ++run) {
        const auto start = BenchClock::now();
        const std::vector<StoredPoint> copy = SnapshotOf(rows.View());
        std::printf("one copy on the UI thread: %.1f ms stall (%zu points)\n", MsSince(start),
                    copy.size());
    }

    // A slice per turn of the event loop.
    for (int run = 0; run < 3; ++run) {
        StallWatch watch;
        bool done = false;
        std::size_t copied = 0;
        const auto start = BenchClock::now();
        new RowSnapshot(rows, [&](std::vector<StoredPoint> p, std::vector<const OPCUAItemData*>) {
            copied = p.size();
            done = true;
        });
        while (!done) QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::printf(
            "sliced copy (%zu rows a slice): %.1f ms in all, longest stall %.1f ms (%zu "
            "points)\n",
            RowSnapshot::kSliceRows, MsSince(start), watch.LongestMs(), copied);
        QApplication::processEvents();  // the snapshot's deferred delete
    }

    // The comparison's answer: one point in ten changed.
    std::vector<std::uint16_t> kinds(static_cast<std::size_t>(points), 0);
    std::size_t changed = 0;
    for (int k = 0; k < points; k += 10, ++changed)
        kinds[static_cast<std::size_t>(k)] = k % 20 ? kChangeAdded : kChangeRenamed;
    {
        const std::vector<const OPCUAItemData*> scanned(rows.View().begin(), rows.View().end());
        const auto start = BenchClock::now();
        model.SetChanges(scanned, kinds);
        std::printf("Change column filled (%zu changed): %.1f ms\n", changed, MsSince(start));
    }
    for (const char* text : {"change:added", "change:changed point1", ""}) {
        const auto start = BenchClock::now();
        shown.SetFilterText(text);
        std::printf("filter \"%s\": %.1f ms (%d shown)\n", text, MsSince(start), shown.rowCount());
    }
    {
        const auto start = BenchClock::now();
        shown.SetSort(kChangeColumn, PointFilterModel::Order::Ascending);
        std::printf("sort by Change: %.1f ms\n", MsSince(start));
    }
    rows.Clear();
    return 0;
}
