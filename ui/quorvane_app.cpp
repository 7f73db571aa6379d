#include "ui/quorvane_app.h"

#include "texts/text_table.h"
#include "ui/app_icon.h"
#include "ui/qt_translations.h"
#include "ui/quorvane_dlg.h"

CQuorvaneApp::CQuorvaneApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quorvane"));
    // No display name: the platform would append it to every title, and the titles are exact.
    setWindowIcon(AppIcon());
    // Ties the windows to the installed menu entry (its icon and name under Wayland).
    setDesktopFileName(QStringLiteral("quorvane"));
    UseQtTranslations(language);
}

int CQuorvaneApp::Run() {
    CQuorvaneDlg window;
    window.exec();
    return 0;
}
