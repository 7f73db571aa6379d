#include "ui/quorvane_app.h"

#include "ui/app_icon.h"
#include "ui/quorvane_dlg.h"

CQuorvaneApp::CQuorvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quorvane"));
    // No display name: the platform would append it to every title, and the titles are exact.
    setWindowIcon(AppIcon());
}

int CQuorvaneApp::Run() {
    CQuorvaneDlg window;
    window.exec();
    return 0;
}
