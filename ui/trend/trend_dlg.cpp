#include "ui/trend/trend_dlg.h"

#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "engine/opcua_item_data.h"
#include "export/replacing_file.h"
#include "session/scan_session.h"
#include "texts/text_table.h"
#include "ui/prompts.h"
#include "ui/qt_text.h"
#include "ui/trend/live_sample.h"
#include "ui/trend/sample_decimation.h"
#include "ui/trend/trend_csv.h"
#include "ui/trend/trend_texts.h"

namespace {

// How often the live window moves on.
constexpr int kRedrawMs = 500;

std::string TitleOf(const TrendBook& book) {
    std::string names;
    for (std::size_t i = 0; i < book.Size() && i < 3; ++i)
        names += (i ? ", " : "") + book.Series(i).name;
    if (book.Size() > 3) names += ", …";
    return Text(TextKey::Trend) + " - " + names;
}

}  // namespace

CTrendDlg::CTrendDlg(QWidget* parent, ScanSession& s, const std::vector<OPCUAItemData*>& records)
    : QDialog(parent), session(s) {
    setObjectName(QStringLiteral("trendDialog"));
    setModal(false);
    for (OPCUAItemData* record : records) book.Add(*record);
    BuildControls();
    setWindowTitle(Q(TitleOf(book)));
    for (OPCUAItemData* record : records) OnRecordChanged(*record);

    std::vector<UaNodeId> ids;
    for (std::size_t i = 0; i < book.Size(); ++i)
        ids.push_back(UaNodeId::CopyOf(*book.Series(i).nodeId));
    QPointer<CTrendDlg> self(this);
    session.ReadHistorizing(std::move(ids), [self](const std::vector<bool>& historizing) {
        if (self.isNull()) return;
        bool any = false;
        for (std::size_t i = 0; i < historizing.size() && i < self->book.Size(); ++i) {
            self->book.Series(i).historizing = historizing[i];
            any = any || historizing[i];
        }
        self->historyButton->setEnabled(any);
        self->periodBox->setEnabled(any);
        if (!any) self->ShowStatus(Text(TextKey::TrendNotHistorizing));
        emit self->HistorizingKnown(any);
    });
}

CTrendDlg::~CTrendDlg() {
    if (cancelHistory) cancelHistory->store(true);
}

std::int64_t CTrendDlg::Now() const { return now ? now() : QDateTime::currentMSecsSinceEpoch(); }

void CTrendDlg::BuildControls() {
    chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    timeAxis = new QDateTimeAxis(chart);
    timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    valueAxis = new QValueAxis(chart);
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    for (std::size_t i = 0; i < book.Size(); ++i) {
        auto* line = new QLineSeries(chart);
        line->setName(Q(book.Series(i).name));
        chart->addSeries(line);
        line->attachAxis(timeAxis);
        line->attachAxis(valueAxis);
        connect(line, &QLineSeries::hovered, this, [this, i](const QPointF& at, bool on) {
            if (!on) return;
            const std::string text =
                HoverText(book.Series(i).name, static_cast<std::int64_t>(at.x()), at.y(), Now());
            hoverLabel->setText(Q(text));
            QToolTip::showText(QCursor::pos(), Q(text), chartView);
        });
        lines.push_back(line);
    }
    chartView = new QChartView(chart, this);
    chartView->setObjectName(QStringLiteral("trendChart"));
    chartView->setRenderHint(QPainter::Antialiasing, false);

    minutesBox = new QComboBox(this);
    minutesBox->setObjectName(QStringLiteral("trendMinutes"));
    for (int m : TrendSpan::kMinuteChoices)
        minutesBox->addItem(Q(FormatText(TextKey::TrendMinutes, m)), m);
    minutesBox->setCurrentIndex(1);
    connect(minutesBox, &QComboBox::currentIndexChanged, this, [this](int) {
        span.SetMinutes(minutesBox->currentData().toInt());
        Redraw();
    });
    pauseButton = new QPushButton(Q(Text(TextKey::TrendPause)), this);
    pauseButton->setObjectName(QStringLiteral("trendPause"));
    connect(pauseButton, &QPushButton::clicked, this, &CTrendDlg::OnPause);
    exportButton = new QPushButton(Q(Text(TextKey::TrendExport)), this);
    exportButton->setObjectName(QStringLiteral("trendExport"));
    connect(exportButton, &QPushButton::clicked, this, &CTrendDlg::OnExport);

    periodBox = new QComboBox(this);
    periodBox->setObjectName(QStringLiteral("trendPeriod"));
    periodBox->addItem(Q(Text(TextKey::TrendLastHour)), static_cast<int>(HistoryChoice::kLastHour));
    periodBox->addItem(Q(Text(TextKey::TrendLastDay)), static_cast<int>(HistoryChoice::kLastDay));
    periodBox->addItem(Q(Text(TextKey::TrendChosenRange)),
                       static_cast<int>(HistoryChoice::kChosenRange));
    const QDateTime current = QDateTime::fromMSecsSinceEpoch(Now());
    fromBox = new QDateTimeEdit(current.addSecs(-3600), this);
    fromBox->setObjectName(QStringLiteral("trendFrom"));
    toBox = new QDateTimeEdit(current, this);
    toBox->setObjectName(QStringLiteral("trendTo"));
    for (QDateTimeEdit* box : {fromBox, toBox}) {
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        box->setEnabled(false);
    }
    connect(periodBox, &QComboBox::currentIndexChanged, this, [this](int) {
        const bool range =
            periodBox->currentData().toInt() == static_cast<int>(HistoryChoice::kChosenRange);
        fromBox->setEnabled(range);
        toBox->setEnabled(range);
    });
    historyButton = new QPushButton(Q(Text(TextKey::TrendHistory)), this);
    historyButton->setObjectName(QStringLiteral("trendHistory"));
    connect(historyButton, &QPushButton::clicked, this,
            [this] { ReadHistory(static_cast<HistoryChoice>(periodBox->currentData().toInt())); });
    // Offered once the points are known to historize.
    historyButton->setEnabled(false);
    periodBox->setEnabled(false);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("trendStatus"));
    hoverLabel = new QLabel(this);
    hoverLabel->setObjectName(QStringLiteral("trendHover"));

    auto* live = new QHBoxLayout;
    live->addWidget(minutesBox);
    live->addWidget(pauseButton);
    live->addWidget(exportButton);
    live->addStretch(1);
    live->addWidget(hoverLabel);
    auto* history = new QHBoxLayout;
    history->addWidget(periodBox);
    history->addWidget(fromBox);
    history->addWidget(toBox);
    history->addWidget(historyButton);
    history->addWidget(statusLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(live);
    layout->addWidget(chartView, 1);
    layout->addLayout(history);
    resize(820, 520);

    redrawTimer = new QTimer(this);
    connect(redrawTimer, &QTimer::timeout, this, [this] {
        if (dirty || !span.Paused()) Redraw();
    });
    redrawTimer->start(kRedrawMs);
}

void CTrendDlg::OnRecordChanged(const OPCUAItemData& record) {
    const int i = book.IndexOf(&record);
    if (i < 0) return;
    if (const std::optional<TrendPoint> sample = LiveSample(record)) {
        if (book.AddSample(static_cast<std::size_t>(i), *sample)) dirty = true;
    }
}

void CTrendDlg::Forget(const OPCUAItemData* record) {
    const int i = book.IndexOf(record);
    if (i < 0) return;
    book.Forget(record);
    lines[static_cast<std::size_t>(i)]->setName(Q(book.Series(static_cast<std::size_t>(i)).name +
                                                  " (" + Text(TextKey::TrendPointGone) + ")"));
}

void CTrendDlg::ForgetAll() {
    for (OPCUAItemData* record : book.Records()) Forget(record);
}

void CTrendDlg::OnPause() {
    if (span.Paused()) {
        span.Resume();
        pauseButton->setText(Q(Text(TextKey::TrendPause)));
    } else {
        span.Pause(Now());
        pauseButton->setText(Q(Text(TextKey::TrendResume)));
    }
    Redraw();
}

void CTrendDlg::Redraw() {
    dirty = false;
    shownRange = span.Range(Now());
    const auto [from, to] = shownRange;
    // Two points a pixel column at most: more cannot be seen and only slow the plot down.
    const std::size_t columns =
        static_cast<std::size_t>(std::max(200, static_cast<int>(chart->plotArea().width())));
    double low = INFINITY;
    double high = -INFINITY;
    plotted = 0;
    for (std::size_t i = 0; i < book.Size(); ++i) {
        const std::vector<TrendPoint> shown = Decimate(book.Series(i).samples, from, to, columns);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(shown.size()));
        for (const TrendPoint& p : shown) {
            points.append(QPointF(static_cast<double>(p.ms), p.value));
            if (p.ms >= from && p.ms <= to) {
                low = std::min(low, p.value);
                high = std::max(high, p.value);
            }
        }
        plotted += shown.size();
        lines[i]->replace(points);
    }
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    timeAxis->setFormat(to - from > 24 * 3600 * 1000 ? QStringLiteral("MM-dd HH:mm")
                                                     : QStringLiteral("HH:mm:ss"));
    if (low > high) {
        low = 0;
        high = 1;
    }
    const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::fabs(low) * 0.05);
    valueAxis->setRange(low - margin, high + margin);
}

bool CTrendDlg::ReadHistory(HistoryChoice choice) {
    if (historyPending > 0) return false;
    const std::optional<HistoryPeriod> period =
        HistoryPeriodFor(choice, Now(), fromBox->dateTime().toMSecsSinceEpoch(),
                         toBox->dateTime().toMSecsSinceEpoch());
    if (!period) return false;
    cancelHistory = std::make_shared<std::atomic<bool>>(false);
    historySamples = 0;
    historyUnsupported = false;
    historyFailure = UA_STATUSCODE_GOOD;
    historyFrom = MsOf(period->start);
    QPointer<CTrendDlg> self(this);
    for (std::size_t i = 0; i < book.Size(); ++i) {
        if (!book.Series(i).historizing) continue;
        ++historyPending;
        session.ReadHistory(*book.Series(i).nodeId, *period, cancelHistory,
                            [self, i](const HistoryResult& result) {
                                if (!self.isNull()) self->OnHistoryDone(i, result);
                            });
    }
    if (historyPending == 0) return false;
    historyButton->setEnabled(false);
    ShowStatus(Text(TextKey::TrendReading));
    return true;
}

void CTrendDlg::OnHistoryDone(std::size_t series, const HistoryResult& result) {
    if (result.outcome == HistoryOutcome::kNoHistory) historyUnsupported = true;
    if (result.outcome == HistoryOutcome::kFailed && historyFailure == UA_STATUSCODE_GOOD)
        historyFailure =
            result.status == UA_STATUSCODE_GOOD ? UA_STATUSCODE_BADUNEXPECTEDERROR : result.status;
    std::vector<TrendPoint> points;
    points.reserve(result.samples.size());
    for (const HistorySample& s : result.samples)
        if (!UA_StatusCode_isBad(s.status)) points.push_back({MsOf(s.sourceTime), s.value});
    historySamples += points.size();
    book.AddHistory(series, std::move(points));
    if (--historyPending > 0) return;

    historyButton->setEnabled(true);
    if (historyUnsupported)
        ShowStatus(Text(TextKey::TrendNoHistory));
    else if (historyFailure != UA_STATUSCODE_GOOD)
        ShowStatus(Text(TextKey::TrendHistoryFailed) + UA_StatusCode_name(historyFailure));
    else
        ShowStatus(FormatText(TextKey::TrendHistoryRead, static_cast<long long>(historySamples)));
    span.ShowHistoryFrom(historyFrom);
    Redraw();
    emit HistoryShown(historySamples);
}

void CTrendDlg::OnExport() {
    const QString path =
        Prompts::SaveFile(this, QStringLiteral("CSV (*.csv)"), QStringLiteral("trend.csv"));
    if (path.isEmpty()) return;
    ReplacingFile file = ReplacingFile::Begin(path.toStdString());
    if (!WriteTrendCsv(book, file)) Prompts::Message(this, Text(TextKey::ExportFailed));
}

void CTrendDlg::ShowStatus(const std::string& text) { statusLabel->setText(Q(text)); }
