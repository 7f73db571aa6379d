// Filter box and column sort at 200,000 points: each keystroke and each sort, timed through the
// window as the user drives it (model work plus the view's own handling of the change).
#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ui/bench_session.h"
#include "texts/text_table.h"
#include "ui/point_filter_model.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"
#include "ui/quorvane_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Points shaped like the demo server's generated ones: numeric NodeIds, names P0000000...,
// Int32 values that do not follow the scan order, every 50th a String.
void FillPoints(CQuorvaneDlg& window, int count) {
    std::vector<OPCUAItemData*> batch;
    batch.reserve(static_cast<std::size_t>(count));
    char name[16];
    for (int k = 0; k < count; ++k) {
        std::snprintf(name, sizeof name, "P%07d", k);
        const bool text = k % 50 == 0;
        const int value = static_cast<int>((static_cast<long long>(k) * 7919) % 100003) - 50000;
        auto* r = new OPCUAItemData(UA_NODEID_NUMERIC(2, 1000000u + static_cast<UA_UInt32>(k)),
                                    text ? "state " + std::to_string(value) : std::to_string(value),
                                    text ? "String" : "Int32", name, "2026-12-09 14:03:09", "GOOD");
        r->typeIndex = text ? UA_TYPES_STRING : UA_TYPES_INT32;
        batch.push_back(r);
    }
    window.Model()->AppendRows(batch);
}

struct Figures {
    double worst = 0;
    double total = 0;
    int count = 0;
    void Add(double ms) {
        worst = std::max(worst, ms);
        total += ms;
        ++count;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int points = argc > 1 ? std::atoi(argv[1]) : 200000;
    UseScratchSettings();
    QApplication app(argc, argv);
    CQuorvaneDlg window;
    window.show();
    language = 1;
    FillPoints(window, points);
    QApplication::processEvents();
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("filterBox"));

    // The model's own share, with no view attached.
    {
        PointFilterModel alone(window.Model(), nullptr);
        for (const char* text : {"p", "p01234", "int32 -4", ""}) {
            const auto start = Clock::now();
            alone.SetFilterText(text);
            std::printf("model only: filter \"%s\" %.1f ms (%d shown)\n", text, MsSince(start),
                        alone.rowCount());
        }
        for (int column : {2, 3}) {
            const auto start = Clock::now();
            alone.SetSort(column, PointFilterModel::Order::Ascending);
            std::printf("model only: sort column %d %.1f ms\n", column, MsSince(start));
        }
    }

    // Typing, one character at a time, then deleting back to nothing.
    Figures typing;
    const std::string words[] = {"p01234", "int32 -4", "state 1"};
    for (const std::string& word : words) {
        for (std::size_t n = 1; n <= word.size(); ++n) {
            const auto start = Clock::now();
            box->setText(QString::fromStdString(word.substr(0, n)));
            QApplication::processEvents();
            typing.Add(MsSince(start));
        }
        for (std::size_t n = word.size(); n-- > 0;) {
            const auto start = Clock::now();
            box->setText(QString::fromStdString(word.substr(0, n)));
            QApplication::processEvents();
            typing.Add(MsSince(start));
        }
    }
    std::printf("points %d\n", points);
    std::printf("filter keystroke: %d keystrokes, mean %.1f ms, worst %.1f ms (target < 50 ms)\n",
                typing.count, typing.total / typing.count, typing.worst);

    // Sorts of the whole list, each column ascending and descending, then back to scan order.
    const char* names[] = {"ID", "Address", "Name", "Value", "Quality", "Time", "DataType"};
    for (int column : {2, 3, 1, 5}) {
        for (auto order : {PointFilterModel::Order::Ascending, PointFilterModel::Order::Descending,
                           PointFilterModel::Order::Scan}) {
            const auto start = Clock::now();
            window.Shown()->SetSort(column, order);
            QApplication::processEvents();
            const char* way = order == PointFilterModel::Order::Ascending    ? "ascending"
                              : order == PointFilterModel::Order::Descending ? "descending"
                                                                             : "back to scan order";
            std::printf("sort by %s %s: %.1f ms%s\n", names[column], way, MsSince(start),
                        column == 2 || column == 3 ? " (target < 300 ms)" : "");
        }
    }

    // A keystroke while sorted by Value, and a screen of changed values placed again.
    window.Shown()->SetSort(3, PointFilterModel::Order::Ascending);
    auto start = Clock::now();
    box->setText(QStringLiteral("p01"));
    QApplication::processEvents();
    std::printf("filter keystroke while sorted by Value: %.1f ms\n", MsSince(start));
    box->clear();
    QApplication::processEvents();
    for (int i = 0; i < 40; ++i)
        window.Rows()[static_cast<std::size_t>(i) * 1000]->value = std::to_string(i);
    start = Clock::now();
    for (int i = 0; i < 40; ++i) {
        const QModelIndex cell = window.Model()->index(i * 1000, 3);
        emit window.Model()->dataChanged(cell, cell);
    }
    QApplication::processEvents();
    std::printf("40 changed values placed again while sorted by Value: %.1f ms\n", MsSince(start));
    return 0;
}
