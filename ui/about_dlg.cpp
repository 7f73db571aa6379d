#include "ui/about_dlg.h"

#include "ui/app_icon.h"
#include "ui/dialog_layout.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("关于 Quorvane"));
    const double scale = logicalDpiX() / 96.0;
    setFixedSize(DluToPixels(170, 62, scale));

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setGeometry(DluToPixels({14, 14, 21, 20}, scale));

    auto* version = new QLabel(QStringLiteral("Quorvane，1.0 版"), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setGeometry(DluToPixels({42, 14, 114, 8}, scale));

    auto* notice = new QLabel(QStringLiteral("OPC UA 点表浏览工具 / OPC UA point browser"), this);
    notice->setObjectName(QStringLiteral("aboutNotice"));
    notice->setGeometry(DluToPixels({42, 26, 120, 8}, scale));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("aboutOk"));
    ok->setDefault(true);
    ok->setGeometry(DluToPixels({113, 41, 50, 14}, scale));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
