#include "ui/quorvane_app.h"

#include "ui/app_icon.h"
#include "ui/quorvane_dlg.h"

CQuorvaneApp::CQuorvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quorvane"));
    setApplicationDisplayName(QStringLiteral("Quorvane"));
    setWindowIcon(AppIcon());
}

int CQuorvaneApp::Run() {
    CQuorvaneDlg window;
    window.exec();
    return 0;
}
