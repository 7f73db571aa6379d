#pragma once

#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"
#include "ui/point_menu.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"

class PointListView;

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>

// Sanitizer builds run several times slower; time limits meant for users stretch with them.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSlowdown = 5;
#else
inline constexpr int kSlowdown = 1;
#endif

// Runs the event loop until `done` holds or `timeout` passes.
template <class Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

// Answers every prompt for the life of one test and starts it in Chinese, as the program does.
class PromptScript {
public:
    PromptScript() {
        Prompts::Intercept(&script);
        language = 0;
    }
    ~PromptScript() {
        Prompts::Intercept(nullptr);
        language = 0;
    }
    PromptScript(const PromptScript&) = delete;
    PromptScript& operator=(const PromptScript&) = delete;
    Prompts::Script script;
};

// Short periods so tests need not wait whole seconds.
inline Timing FastTiming() {
    Timing t;
    t.scanMs = 20;
    t.refreshMs = 100;
    t.retryMs = 300;
    t.flowingMs = 1;
    // The window's tests drive the refresh pass's read; live values have tests of their own.
    t.live = false;
    return t;
}

template <class W>
W* Find(const QObject& parent, const char* name) {
    return parent.findChild<W*>(QString::fromLatin1(name));
}

inline std::string TextOf(const QObject& parent, const char* name) {
    if (auto* b = Find<QPushButton>(parent, name)) return b->text().toStdString();
    if (auto* l = Find<QLabel>(parent, name)) return l->text().toStdString();
    if (auto* e = Find<QLineEdit>(parent, name)) return e->text().toStdString();
    return "<no control " + std::string(name) + ">";
}

inline void SetUrl(CQuorvaneDlg& window, const std::string& url) {
    Find<QLineEdit>(window, "urlBox")->setText(QString::fromStdString(url));
}

inline void Click(const QObject& parent, const char* name) {
    Find<QPushButton>(parent, name)->click();
}

// Presses Connect and pumps events until the connect attempt has come back.
inline bool PressConnect(CQuorvaneDlg& window,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    Click(window, "connectButton");
    return PumpUntil([&] { return !window.Connecting(); }, timeout);
}

// Presses Connect and pumps events until the scan poll has met the end marker.
inline bool ScanToEnd(CQuorvaneDlg& window,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    if (!PressConnect(window, timeout)) return false;
    return PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); }, timeout);
}

// Pumps events until no work of the window is left on the session's thread.
inline bool WaitIdle(CQuorvaneDlg& window,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return PumpUntil(
        [&] {
            return window.BackgroundJobs() == 0 && !window.Connecting() && !window.RefreshRunning();
        },
        timeout);
}

// One refresh pass from start to end, its results shown.
inline bool RunRefreshPass(CQuorvaneDlg& window,
                           std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    if (!PumpUntil([&] { return !window.RefreshRunning(); }, timeout)) return false;
    window.OnRefreshPass();
    return PumpUntil([&] { return !window.RefreshRunning(); }, timeout);
}

// The text the view shows in a cell.
std::string CellShown(const CQuorvaneDlg& window, int row, int column);

// A URL where nothing listens.
inline std::string ClosedPortUrl() {
    return "opc.tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
}

// Fails the test unless each named button of `parent` is enabled as `enabled` says.
inline void ExpectButtonsEnabled(const QObject& parent, std::initializer_list<const char*> names,
                                 bool enabled) {
    for (const char* b : names) EXPECT_EQ(Find<QPushButton>(parent, b)->isEnabled(), enabled) << b;
}

// The row of the plant point with numeric identifier `id`, or -1.
int RowOfNumeric(const CQuorvaneDlg& window, UA_UInt16 plantNamespace, UA_UInt32 id);

// The window's point list, and the centre of a row's Address cell in global coordinates
// (scrolled into view first).
PointListView& ListView(CQuorvaneDlg& window);
QPoint RowCentre(CQuorvaneDlg& window, int row);

// Opens the list's context menu at `at` and picks the entry at `position` (or none when < 0).
void ChooseFromMenu(CQuorvaneDlg& window, const QPoint& at, int position);

// A shown window that has scanned a demo server of its own.
class ScannedWindowTest : public ::testing::Test {
protected:
    void ScanServer(DemoServerOptions o = {}) {
        server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
        SetUrl(window, server->Url());
        window.show();
        ASSERT_TRUE(ScanToEnd(window));
        ASSERT_EQ(window.Rows().size(), server->Points().size());
    }
    int RowOfNumeric(UA_UInt32 id) const {
        return ::RowOfNumeric(window, server->PlantNamespace(), id);
    }
    PointListView& View() { return ListView(window); }

    PromptScript prompts;
    std::unique_ptr<DemoServer> server;
    CQuorvaneDlg window{FastTiming()};
};
