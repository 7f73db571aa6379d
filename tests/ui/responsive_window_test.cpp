// The window keeps answering while the network does not: connect to a server that never
// answers, Stop and close during it, progress and honest texts, the reconnect's target.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "tests/support/silent_server.h"
#include "tests/ui/options_helpers.h"
#include "ui/point_list_view.h"
#include "ui/point_table_model.h"

namespace {

using namespace std::chrono_literals;

// Counts how often the event loop ran a 5 ms timer and the longest gap between two runs.
class EventLoopWatch {
public:
    EventLoopWatch() {
        last = std::chrono::steady_clock::now();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const auto now = std::chrono::steady_clock::now();
            longest = std::max<std::chrono::steady_clock::duration>(longest, now - last);
            last = now;
            ++ticks;
        });
        timer.start(5);
    }
    int ticks = 0;
    std::chrono::steady_clock::duration longest{0};

private:
    QTimer timer;
    std::chrono::steady_clock::time_point last;
};

class SilentConnect : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(silent.Listening());
        SetUrl(window, silent.Url());
        window.show();
    }
    PromptScript prompts;
    SilentServer silent;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(SilentConnect, TheWindowKeepsTurningAndStopReturnsAtOnce) {
    EventLoopWatch watch;
    Click(window, "connectButton");
    EXPECT_TRUE(window.Connecting());
    EXPECT_EQ(TextOf(window, "connectButton"), "停止");
    EXPECT_EQ(TextOf(window, "statusLine"), "正在连接服务器...");
    EXPECT_EQ(ListView(window).cursor().shape(), Qt::BusyCursor);
    ExpectButtonsEnabled(window, {"optionButton", "exportButton", "languageButton"}, false);
    PumpFor(400ms);
    EXPECT_TRUE(window.Connecting());
    EXPECT_GT(watch.ticks, 20);
    EXPECT_LT(watch.longest, 100ms * kSlowdown);

    const auto pressed = std::chrono::steady_clock::now();
    Click(window, "connectButton");
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, 200ms * kSlowdown);
    EXPECT_FALSE(window.Connecting());
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");
    EXPECT_EQ(TextOf(window, "statusLine"), "停止更新...");
    EXPECT_NE(ListView(window).cursor().shape(), Qt::BusyCursor);
    ExpectButtonsEnabled(window, {"optionButton", "exportButton", "languageButton"}, true);
    // The abandoned attempt ends in the background, without a word.
    EXPECT_TRUE(WaitIdle(window, 1s * kSlowdown));
    PumpFor(50ms);
    EXPECT_TRUE(prompts.script.messages.empty());
    EXPECT_EQ(TextOf(window, "statusLine"), "停止更新...");
}

TEST_F(SilentConnect, ANewConnectAfterStopIsNotDisturbedByTheOldOne) {
    Click(window, "connectButton");
    PumpFor(100ms);
    Click(window, "connectButton");  // Stop
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    SetUrl(window, server->Url());
    ASSERT_TRUE(ScanToEnd(window));
    EXPECT_EQ(window.Rows().size(), server->Points().size());
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST_F(SilentConnect, TimeoutIsReportedAsConnectFailure) {
    OptionsInput in;
    in.timeout = "5";  // the shortest the options allow
    ConfirmOptions(*window.OptionsDialog(), in);
    EventLoopWatch watch;
    ASSERT_TRUE(PressConnect(window, 20s));
    EXPECT_EQ(TextOf(window, "statusLine"), "连接服务器失败 (超时: 服务器没有应答)");
    ASSERT_EQ(prompts.script.messages.size(), 1u);
    EXPECT_LT(watch.longest, 100ms * kSlowdown);
}

TEST(SilentClose, ClosingDuringAConnectEndsPromptly) {
    PromptScript prompts;
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    auto window = std::make_unique<CQuorvaneDlg>(FastTiming());
    SetUrl(*window, silent.Url());
    window->show();
    Click(*window, "connectButton");
    PumpFor(100ms);
    const auto closing = std::chrono::steady_clock::now();
    window->close();
    window.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 1s * kSlowdown);
    EXPECT_TRUE(prompts.script.messages.empty());
}

// The number in a status text such as "正在搜索... 已找到 1234 个点", or -1.
long long NumberIn(const std::string& text, const std::string& before, const std::string& after) {
    if (text.rfind(before, 0) != 0 || text.size() < before.size() + after.size() ||
        text.compare(text.size() - after.size(), after.size(), after) != 0)
        return -1;
    const std::string digits =
        text.substr(before.size(), text.size() - before.size() - after.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoll(digits);
}

TEST(ScanProgress, TheCountGrowsWhileWalkingInBothLanguages) {
    for (int lang : {0, 1}) {
        SCOPED_TRACE(lang);
        PromptScript prompts;
        DemoServerOptions o;
        o.points = 40000;
        auto server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
        CQuorvaneDlg window(FastTiming());
        if (lang == 1) Click(window, "languageButton");
        SetUrl(window, server->Url());
        const std::string before = lang == 0 ? "正在搜索... 已找到 " : "searching ... ";
        const std::string after = lang == 0 ? " 个点" : " points found";
        ASSERT_TRUE(PressConnect(window));
        std::vector<long long> seen;
        ASSERT_TRUE(PumpUntil(
            [&] {
                const long long n = NumberIn(TextOf(window, "statusLine"), before, after);
                if (n >= 0 && (seen.empty() || seen.back() != n)) seen.push_back(n);
                return !window.WalkRunning() && !window.ScanPollPending();
            },
            120s));
        ASSERT_GE(seen.size(), 2u);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_GT(seen.back(), 0);  // variables met, so a node met twice counts twice
        EXPECT_EQ(TextOf(window, "statusLine"),
                  FormatText(TextKey::SearchDone, static_cast<long long>(window.Rows().size())));
    }
}

TEST(ScanLost, AWalkWhoseServerStopsSaysSo) {
    PromptScript prompts;
    DemoServerOptions o;
    o.points = 200000;
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    const std::size_t offered = server->Points().size();
    CQuorvaneDlg window(FastTiming());
    SetUrl(window, server->Url());
    ASSERT_TRUE(PressConnect(window));
    ASSERT_TRUE(PumpUntil(
        [&] { return NumberIn(TextOf(window, "statusLine"), "正在搜索... 已找到 ", " 个点") > 0; },
        60s));
    server->Stop();
    ASSERT_TRUE(
        PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); }, 120s));
    EXPECT_EQ(TextOf(window, "statusLine"),
              "连接中断 已找到 " + std::to_string(window.Rows().size()) + " 个点");
    EXPECT_LT(window.Rows().size(), offered);
    EXPECT_TRUE(prompts.script.messages.empty());
}

TEST(Reconnect, GoesToTheScannedServerNotTheEditedBox) {
    PromptScript prompts;
    auto scanned = StartDemoServer();
    auto other = StartDemoServer();
    ASSERT_NE(scanned, nullptr);
    ASSERT_NE(other, nullptr);
    CQuorvaneDlg window(FastTiming());
    SetUrl(window, scanned->Url());
    window.show();
    ASSERT_TRUE(ScanToEnd(window));
    SetUrl(window, other->Url());
    other->ResetValueReads();
    scanned->Stop();
    // Were the other server asked, its values would come back GOOD under these NodeIds.
    ASSERT_TRUE(PumpUntil([&] { return window.Rows()[0]->quality == "UNCERTAIN"; }, 20s));
    PumpFor(std::chrono::milliseconds(FastTiming().retryMs * 2));
    EXPECT_EQ(other->ValueReads(), 0u);
    EXPECT_NE(window.Rows()[0]->quality, "GOOD");
    ASSERT_TRUE(window.SessionSettings().has_value());
    EXPECT_EQ(window.SessionSettings()->url, scanned->Url());

    std::string error;
    ASSERT_TRUE(scanned->Start(&error)) << error;
    EXPECT_TRUE(PumpUntil([&] { return window.Rows()[0]->quality == "GOOD"; }, 20s));
    EXPECT_EQ(other->ValueReads(), 0u);
}

TEST(RefreshThroughTheModel, AReadPassTellsTheViewOfEachRow) {
    PromptScript prompts;
    auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    CQuorvaneDlg window(FastTiming());
    SetUrl(window, server->Url());
    window.show();
    ASSERT_TRUE(ScanToEnd(window));
    QSignalSpy changed(window.Model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(window.Model(), &QAbstractItemModel::modelReset);
    ASSERT_TRUE(RunRefreshPass(window));
    EXPECT_GT(changed.count(), 0);
    EXPECT_LE(changed.count(), ListView(window).RowsInSight());
    EXPECT_EQ(reset.count(), 0);
    for (const QList<QVariant>& signal : changed) {
        const auto topLeft = signal[0].value<QModelIndex>();
        const auto bottomRight = signal[1].value<QModelIndex>();
        EXPECT_EQ(topLeft.row(), bottomRight.row());
        EXPECT_EQ(topLeft.column(), 0);
        EXPECT_EQ(bottomRight.column(), window.Model()->columnCount() - 1);
    }
}

class EnterKey : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(EnterKey, PressesTheFocusedButtonNotConnect) {
    auto* exportButton = Find<QPushButton>(window, "exportButton");
    exportButton->setFocus();
    QTest::keyClick(exportButton, Qt::Key_Return);
    EXPECT_EQ(prompts.script.fileRequests.size(), 1u);  // Export asked for a file name
    EXPECT_FALSE(window.Connecting());
    EXPECT_EQ(TextOf(window, "connectButton"), "连接");

    auto* optionButton = Find<QPushButton>(window, "optionButton");
    optionButton->setFocus();
    QTest::keyClick(optionButton, Qt::Key_Enter);
    EXPECT_TRUE(window.OptionsDialog()->isVisible());
    EXPECT_FALSE(window.Connecting());

    // In the URL box Enter still means Connect.
    SetUrl(window, ClosedPortUrl());
    auto* urlBox = Find<QLineEdit>(window, "urlBox");
    urlBox->setFocus();
    QTest::keyClick(urlBox, Qt::Key_Return);
    EXPECT_TRUE(PumpUntil([&] { return prompts.script.messages.size() == 1; }, 10s));
}

TEST_F(EnterKey, OnTheOptionsCancelDiscardsWhatWasTyped) {
    CLoginOptionDlg& options = *window.OptionsDialog();
    Click(window, "optionButton");
    Find<QLineEdit>(options, "timeoutBox")->setText(QStringLiteral("30"));
    auto* cancel = Find<QPushButton>(options, "cancelButton");
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(options.GetTimeout(), "10");

    Click(window, "optionButton");
    Find<QLineEdit>(options, "timeoutBox")->setText(QStringLiteral("30"));
    prompts.script.fileAnswers.clear();
    auto* browse = Find<QPushButton>(options, "certificateBrowse");
    ChooseSignIn(options, 3);
    browse->setFocus();
    QTest::keyClick(browse, Qt::Key_Return);
    EXPECT_EQ(prompts.script.fileRequests.size(), 1u);  // the file dialog, not OK
    EXPECT_TRUE(options.isVisible());
    EXPECT_EQ(options.GetTimeout(), "10");
}

}  // namespace
