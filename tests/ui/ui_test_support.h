#pragma once

#include "tests/support/demo_server_fixture.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"
#include "ui/text_table.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
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

// Presses Connect and pumps events until the scan poll has met the end marker.
inline bool ScanToEnd(CQuorvaneDlg& window,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    Click(window, "connectButton");
    return PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); }, timeout);
}

// The text the view shows in a cell.
std::string CellShown(const CQuorvaneDlg& window, int row, int column);
