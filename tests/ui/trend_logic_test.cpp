// The trend's logic without a window: the series book, the spans, decimation, live samples,
// texts and the csv file.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/opcua_item_data.h"
#include "export/replacing_file.h"
#include "tests/export/temp_dir.h"
#include "ui/trend/live_sample.h"
#include "ui/trend/sample_decimation.h"
#include "ui/trend/trend_book.h"
#include "ui/trend/trend_csv.h"
#include "ui/trend/trend_period.h"
#include "ui/trend/trend_texts.h"

namespace {

std::unique_ptr<OPCUAItemData> Record(const char* id, const std::string& value, std::uint16_t type,
                                      const std::string& time,
                                      const std::string& quality = "GOOD") {
    auto r = std::make_unique<OPCUAItemData>(UA_NODEID_STRING(2, const_cast<char*>(id)), value,
                                             type == 0 ? "Boolean" : "Double", id, time, quality);
    r->typeIndex = type;
    return r;
}

std::vector<std::int64_t> Times(const std::vector<TrendPoint>& points) {
    std::vector<std::int64_t> t;
    for (const TrendPoint& p : points) t.push_back(p.ms);
    return t;
}

// Local time as the C library reads it, to check the texts against a second implementation.
std::int64_t LocalMs(int year, int month, int day, int hour, int min, int sec) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = min;
    tm.tm_sec = sec;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm)) * 1000;
}

TEST(TrendBook, KeepsOneSampleAnInstantInTimeOrderAndForgetsRowsThatGo) {
    auto a = Record("a", "1", 10, "");
    auto b = Record("b", "1", 10, "");
    TrendBook book;
    book.Add(*a);
    book.Add(*b);
    EXPECT_EQ(book.IndexOf(b.get()), 1);
    EXPECT_EQ(book.Series(0).idText, "ns=2;s=a");

    EXPECT_TRUE(book.AddSample(0, {100, 1}));
    EXPECT_TRUE(book.AddSample(0, {300, 3}));
    EXPECT_FALSE(book.AddSample(0, {300, 9}));  // the same instant again
    EXPECT_TRUE(book.AddSample(0, {200, 2}));   // late, goes in its place
    EXPECT_FALSE(book.AddSample(0, {400, std::nan("")}));
    EXPECT_FALSE(book.AddSample(5, {400, 1}));
    EXPECT_EQ(Times(book.Series(0).samples), (std::vector<std::int64_t>{100, 200, 300}));
    EXPECT_EQ(book.Series(0).samples[2].value, 3);

    // History goes before the live part; instants already there keep their live value.
    EXPECT_EQ(book.AddHistory(0, {{50, 5}, {300, 30}, {20, 2}, {20, 7}, {60, std::nan("")}}), 2u);
    EXPECT_EQ(Times(book.Series(0).samples), (std::vector<std::int64_t>{20, 50, 100, 200, 300}));
    EXPECT_EQ(book.Series(0).samples.back().value, 3);
    EXPECT_EQ(book.SampleCount(), 5u);

    EXPECT_EQ(book.Records(), (std::vector<OPCUAItemData*>{a.get(), b.get()}));
    EXPECT_TRUE(book.Forget(a.get()));
    EXPECT_FALSE(book.Forget(a.get()));
    EXPECT_EQ(book.IndexOf(a.get()), -1);
    EXPECT_EQ(book.Records(), (std::vector<OPCUAItemData*>{b.get()}));
    EXPECT_EQ(book.Series(0).samples.size(), 5u);  // what was plotted stays
    book.ForgetAll();
    EXPECT_TRUE(book.Records().empty());
}

TEST(TrendBook, DateTimesOfTheServerAndMillisecondsAgree) {
    EXPECT_EQ(MsOf(UA_DATETIME_UNIX_EPOCH), 0);
    EXPECT_EQ(MsOf(UA_DATETIME_UNIX_EPOCH + 1500 * UA_DATETIME_MSEC), 1500);
    EXPECT_EQ(UaDateTimeOf(1500), UA_DATETIME_UNIX_EPOCH + 1500 * UA_DATETIME_MSEC);
    const std::int64_t now = MsOf(UA_DateTime_now());
    EXPECT_EQ(MsOf(UaDateTimeOf(now)), now);
}

TEST(TrendSpan, LiveWindowPausesAndReachesBackToHistory) {
    TrendSpan span;
    const std::int64_t min = 60'000;
    EXPECT_EQ(span.Range(100 * min), std::make_pair(90 * min, 100 * min));  // 10 minutes
    span.SetMinutes(1);
    EXPECT_EQ(span.Range(100 * min), std::make_pair(99 * min, 100 * min));
    span.Pause(100 * min);
    span.Pause(101 * min);  // already paused: stays where it stopped
    EXPECT_TRUE(span.Paused());
    EXPECT_EQ(span.Range(105 * min), std::make_pair(99 * min, 100 * min));
    span.Resume();
    EXPECT_EQ(span.Range(105 * min), std::make_pair(104 * min, 105 * min));
    span.ShowHistoryFrom(40 * min);
    EXPECT_EQ(span.Range(105 * min), std::make_pair(40 * min, 105 * min));
    span.ShowHistoryFrom(104 * min + 30'000);  // within the window: the window wins
    EXPECT_EQ(span.Range(105 * min), std::make_pair(104 * min, 105 * min));
    span.ShowHistoryFrom(40 * min);
    span.SetMinutes(60);  // a new window length drops the history span
    EXPECT_EQ(span.Range(105 * min), std::make_pair(45 * min, 105 * min));
}

TEST(TrendSpan, HistoryPeriodsEndWithNowIncluded) {
    const std::int64_t now = 1'700'000'000'000;
    struct Case {
        HistoryChoice choice;
        std::int64_t from, to;  // for a chosen range
        std::int64_t wantFrom, wantTo;
    };
    for (const Case c : {Case{HistoryChoice::kLastHour, 0, 0, now - 3'600'000, now},
                         Case{HistoryChoice::kLastDay, 0, 0, now - 86'400'000, now},
                         Case{HistoryChoice::kChosenRange, 1000, 5000, 1000, 5000}}) {
        const auto p = HistoryPeriodFor(c.choice, now, c.from, c.to);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->start, UaDateTimeOf(c.wantFrom));
        EXPECT_EQ(p->end, UaDateTimeOf(c.wantTo + 1));  // the read leaves its end out
    }
    EXPECT_FALSE(HistoryPeriodFor(HistoryChoice::kChosenRange, now, 5000, 5000));
    EXPECT_FALSE(HistoryPeriodFor(HistoryChoice::kChosenRange, now, 5000, 1000));
}

TEST(Decimation, KeepsEverySampleUntilTooManyThenEachColumnsExtremes) {
    std::vector<TrendPoint> points;
    for (int i = 0; i < 1000; ++i) points.push_back({i * 10, std::sin(i / 7.0)});
    points[503].value = 50;   // a peak
    points[777].value = -50;  // a trough

    // Few in range: all of them and a neighbour on each side.
    const auto few = Decimate(points, 1000, 1090, 100);
    EXPECT_EQ(Times(few).front(), 990);
    EXPECT_EQ(Times(few).back(), 1100);
    EXPECT_EQ(few.size(), 12u);

    const auto many = Decimate(points, 0, 9990, 50);
    EXPECT_LE(many.size(), 100u);
    EXPECT_GE(many.size(), 50u);
    bool peak = false;
    bool trough = false;
    for (std::size_t i = 0; i < many.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(many[i - 1].ms, many[i].ms);  // still in time order
        }
        peak = peak || many[i].value == 50;
        trough = trough || many[i].value == -50;
    }
    EXPECT_TRUE(peak);
    EXPECT_TRUE(trough);
    EXPECT_EQ(many.front().ms, 0);

    // Nothing to show: an empty book, or a reversed range.
    EXPECT_TRUE(Decimate({}, 0, 10, 10).empty());
    EXPECT_TRUE(Decimate(points, 10, 0, 10).empty());
    // A range between two samples draws the line between them.
    EXPECT_EQ(Times(Decimate(points, 1001, 1009, 10)), (std::vector<std::int64_t>{1000, 1010}));

    // 100,000 samples come down to what the plot has columns for, neighbours outside included.
    std::vector<TrendPoint> big;
    for (int i = 0; i < 100'000; ++i) big.push_back({i * 1000LL, static_cast<double>(i % 97)});
    const auto shown = Decimate(big, 10'000'000, 90'000'000, 800);
    EXPECT_LE(shown.size(), 1602u);
    EXPECT_EQ(shown.front().ms, 9'999'000);
    EXPECT_EQ(shown.back().ms, 90'001'000);
}

TEST(LiveSample, NumbersAndBooleansAtTheRowsTime) {
    const std::int64_t at = LocalMs(2024, 8, 5, 14, 3, 9);
    struct Case {
        std::string value;
        std::uint16_t type;
        std::string time;
        std::string quality;
        bool sample;
        double number;
    };
    for (const Case& c : {Case{"12.5", 10, "2024-08-05 14:03:09", "GOOD", true, 12.5},
                          Case{"-3", 6, "2024-08-05 14:03:09", "UNCERTAIN", true, -3},
                          Case{"1", 0, "2024-08-05 14:03:09", "GOOD", true, 1},
                          Case{"true", 0, "2024-08-05 14:03:09", "GOOD", true, 1},
                          Case{"12.5", 10, "2024-08-05 14:03:09", "BAD", false, 0},
                          Case{"12.5", 10, "", "GOOD", false, 0},
                          Case{"abc", 10, "2024-08-05 14:03:09", "GOOD", false, 0},
                          Case{"Tank", 11, "2024-08-05 14:03:09", "GOOD", false, 0}}) {
        auto r = Record("p", c.value, c.type, c.time, c.quality);
        const auto s = LiveSample(*r);
        ASSERT_EQ(s.has_value(), c.sample) << c.value << " " << c.quality;
        if (s) {
            EXPECT_EQ(s->ms, at);
            EXPECT_EQ(s->value, c.number);
        }
    }
    auto array = Record("p", "[1, 2]", 6, "2024-08-05 14:03:09");
    array->isArray = true;
    EXPECT_FALSE(CanTrend(*array));
    auto unread = Record("p", "", 6, "");
    unread->dataType.clear();
    EXPECT_FALSE(CanTrend(*unread));
    EXPECT_TRUE(CanTrend(*Record("p", "1", 0, "")));
}

TEST(TrendTexts, TimesNumbersAndHover) {
    const std::int64_t at = LocalMs(2024, 8, 5, 14, 3, 9) + 250;
    EXPECT_EQ(TrendTimeText(at), "2024-08-05 14:03:09.250");
    EXPECT_EQ(TrendNumberText(0.1), "0.1");
    EXPECT_EQ(TrendNumberText(-1e300), "-1e+300");
    EXPECT_EQ(TrendNumberText(42), "42");
    EXPECT_EQ(HoverText("Level", at, 12.5, at + 1000), "14:03:09.250  Level: 12.5");
    EXPECT_EQ(HoverText("Level", at, 12.5, at + 3 * 86'400'000LL),
              "2024-08-05 14:03:09.250  Level: 12.5");
}

TEST(TrendCsv, RowsInTimeOrderQuotedAsFieldsNeed) {
    auto a = Record("Tank,\"1\"", "1", 10, "");
    auto b = Record("b", "1", 10, "");
    TrendBook book;
    book.Add(*a);
    book.Add(*b);
    const std::int64_t t = LocalMs(2024, 8, 5, 14, 3, 9);
    book.AddSample(0, {t, 1.5});
    book.AddSample(0, {t + 2000, 2});
    book.AddSample(1, {t, -0.25});
    book.AddSample(1, {t + 1000, 1e-7});

    TempDir dir;
    const std::string path = dir.File("trend.csv");
    ReplacingFile file = ReplacingFile::Begin(path);
    ASSERT_TRUE(WriteTrendCsv(book, file));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes,
              "\xEF\xBB\xBF"
              "time,point,value\r\n"
              "2024-08-05 14:03:09.000,\"ns=2;s=Tank,\"\"1\"\"\",1.5\r\n"
              "2024-08-05 14:03:09.000,ns=2;s=b,-0.25\r\n"
              "2024-08-05 14:03:10.000,ns=2;s=b,1e-07\r\n"
              "2024-08-05 14:03:11.000,\"ns=2;s=Tank,\"\"1\"\"\",2\r\n");

    // A file that cannot be made is a failure, not an empty success.
    ReplacingFile nowhere = ReplacingFile::Begin(dir.File("missing/trend.csv"));
    EXPECT_FALSE(WriteTrendCsv(book, nowhere));
}

}  // namespace
