// Grabs the main window after a scan of the demo server, once per language, into PNG files:
// ui_screenshot OUT_DIR. Run it under a real display (Xvfb) to see what users see.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/ui/bench_session.h"
#include "texts/text_table.h"
#include "ui/endpoint_picker.h"
#include "ui/login_option_dlg.h"
#include "ui/prompts.h"
#include "ui/quorvane_dlg.h"

namespace {

void Pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([&] { return std::chrono::steady_clock::now() >= end; }, std::chrono::seconds(60));
}

}  // namespace

int main(int argc, char** argv) {
    UseScratchSettings();
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    const std::unique_ptr<DemoServer> started = StartBenchServer(0);
    if (!started) return 1;
    DemoServer& server = *started;
    Prompts::Script script;
    Prompts::Intercept(&script);

    for (int lang = 0; lang < 2; ++lang) {
        CQuorvaneDlg window;
        window.findChild<QLineEdit*>(QStringLiteral("urlBox"))
            ->setText(QString::fromStdString(server.Url()));
        window.show();
        if (lang == 1) window.findChild<QPushButton*>(QStringLiteral("languageButton"))->click();
        window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
        if (!PumpUntil([&] { return !window.WalkRunning() && !window.ScanPollPending(); },
                       std::chrono::seconds(60)))
            return 1;
        Pump(300);
        const char* name = lang == 0 ? "main_chinese.png" : "main_english.png";
        window.grab().save(out.filePath(QString::fromLatin1(name)));

        window.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();  // Stop
        window.findChild<QPushButton*>(QStringLiteral("optionButton"))->click();
        window.OptionsDialog()->findChild<QPushButton*>(QStringLiteral("endpointsButton"))->click();
        PumpUntil([&] { return !window.OptionsDialog()->Endpoints()->Asking(); },
                  std::chrono::seconds(20));
        window.OptionsDialog()->adjustSize();
        Pump(200);
        window.OptionsDialog()->grab().save(out.filePath(
            QString::fromLatin1(lang == 0 ? "options_chinese.png" : "options_english.png")));
        window.OptionsDialog()->hide();
        window.close();
    }
    language = 0;
    Prompts::Intercept(nullptr);
    server.Stop();
    return 0;
}
