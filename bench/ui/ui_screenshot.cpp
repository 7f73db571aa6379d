// Grabs the main window after a scan of the demo server, once per language, into PNG files:
// ui_screenshot OUT_DIR. Run it under a real display (Xvfb) to see what users see.
#include "tools/demo-server/demo_server.h"
#include "ui/login_option_dlg.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"
#include "ui/text_table.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

template <class Pred>
bool PumpUntil(Pred done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([&] { return std::chrono::steady_clock::now() >= end; });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    DemoServerOptions options;
    options.port = FreeLoopbackPort();
    DemoServer server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "demo server: %s\n", error.c_str());
        return 1;
    }
    Prompts::Script script;
    Prompts::Intercept(&script);

    for (int lang = 0; lang < 2; ++lang) {
        CQuorvaneDlg window;
        window.findChild<QLineEdit*>(QStringLiteral("urlBox"))->setText(QString::fromStdString(server.Url()));
        window.show();
        if (lang == 1) window.findChild<QPushButton*>(QStringLiteral("languageButton"))->click();
        window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
        if (!PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); })) return 1;
        Pump(300);
        const char* name = lang == 0 ? "main_chinese.png" : "main_english.png";
        window.grab().save(out.filePath(QString::fromLatin1(name)));

        window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();  // Stop
        window.findChild<QPushButton*>(QStringLiteral("optionButton"))->click();
        Pump(200);
        window.OptionsDialog()->grab().save(
            out.filePath(QString::fromLatin1(lang == 0 ? "options_chinese.png" : "options_english.png")));
        window.OptionsDialog()->hide();
        window.close();
    }
    language = 0;
    Prompts::Intercept(nullptr);
    server.Stop();
    return 0;
}
