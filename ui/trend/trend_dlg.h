#pragma once

#include <QDialog>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/history_read/history_sample.h"
#include "ui/trend/trend_book.h"
#include "ui/trend/trend_period.h"

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QDateTimeEdit;
class QLabel;
class QLineSeries;
class QPushButton;
class QTimer;
class QValueAxis;
class ScanSession;
struct OPCUAItemData;

// The non-modal trend of some points: one line per point over the last minutes, live samples
// as the rows change, and what the server stored for the points that historize.
class CTrendDlg : public QDialog {
    Q_OBJECT
public:
    // `records` must be alive now; the caller tells Forget before any of them goes.
    CTrendDlg(QWidget* parent, ScanSession& session, const std::vector<OPCUAItemData*>& records);
    // Stops the history reads still under way.
    ~CTrendDlg() override;

    const TrendBook& Book() const { return book; }
    // The rows this trend still follows.
    std::vector<OPCUAItemData*> Records() const { return book.Records(); }
    // `record` changed: a sample when it is plotted here and its time moved on.
    void OnRecordChanged(const OPCUAItemData& record);
    void Forget(const OPCUAItemData* record);
    void ForgetAll();

    // Reads the stored samples of every historizing point over `choice` (a chosen range from
    // the two time boxes). False when nothing can be read.
    bool ReadHistory(HistoryChoice choice);
    bool HistoryRunning() const { return historyPending > 0; }
    // Draws the series now; a timer does it while live samples come in.
    void Redraw();
    // The points on screen, all series together, and the span of time shown, after the last
    // Redraw.
    std::size_t PlottedPoints() const { return plotted; }
    std::pair<std::int64_t, std::int64_t> ShownRange() const { return shownRange; }
    // Replaces the clock, for tests.
    std::function<std::int64_t()> now;

signals:
    // The Historizing attributes arrived; `any` when one of the points historizes.
    void HistorizingKnown(bool any);
    // A history read ended and its samples are on the plot.
    void HistoryShown(std::size_t samples);

private:
    void BuildControls();
    void OnPause();
    void OnExport();
    void OnHistoryDone(std::size_t series, const HistoryResult& result);
    void ShowStatus(const std::string& text);
    std::int64_t Now() const;

    ScanSession& session;
    TrendBook book;
    TrendSpan span;
    QChart* chart = nullptr;
    QChartView* chartView = nullptr;
    QDateTimeAxis* timeAxis = nullptr;
    QValueAxis* valueAxis = nullptr;
    std::vector<QLineSeries*> lines;
    QComboBox* minutesBox = nullptr;
    QPushButton* pauseButton = nullptr;
    QPushButton* exportButton = nullptr;
    QComboBox* periodBox = nullptr;
    QDateTimeEdit* fromBox = nullptr;
    QDateTimeEdit* toBox = nullptr;
    QPushButton* historyButton = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* hoverLabel = nullptr;
    QTimer* redrawTimer = nullptr;
    bool dirty = true;
    std::size_t plotted = 0;
    std::pair<std::int64_t, std::int64_t> shownRange{0, 0};

    // The history read under way: answers still to come, and what they brought.
    std::shared_ptr<std::atomic<bool>> cancelHistory;
    int historyPending = 0;
    std::size_t historySamples = 0;
    std::int64_t historyFrom = 0;
    bool historyUnsupported = false;
    UA_StatusCode historyFailure = UA_STATUSCODE_GOOD;
};
