#include "ui/about_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/app_icon.h"
#include "ui/dialog_layout.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("关于 Quorvane"));
    const double scale = logicalDpiX() / 96.0;

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setGeometry(DluToPixels({14, 14, 21, 20}, scale));

    auto* version = new QLabel(QStringLiteral("Quorvane，1.0 版"), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setGeometry(DluToPixels({42, 14, 114, 8}, scale));

    auto* notice = new QLabel(QStringLiteral("OPC UA 点表浏览工具 / OPC UA point browser"), this);
    notice->setObjectName(QStringLiteral("aboutNotice"));
    // The template's 120 units cut the notice at most fonts; it gets the width it needs and the
    // box grows with it, the OK button staying at the right.
    QRect noticeRect = DluToPixels({42, 26, 120, 8}, scale);
    noticeRect.setWidth(std::max(noticeRect.width(), notice->sizeHint().width()));
    noticeRect.setHeight(std::max(noticeRect.height(), notice->sizeHint().height()));
    notice->setGeometry(noticeRect);
    const QSize templateSize = DluToPixels(170, 62, scale);
    const int margin = DluToPixels(8, 0, scale).width();
    const int boxWidth =
        std::max(templateSize.width(), noticeRect.x() + noticeRect.width() + margin);
    setFixedSize(boxWidth, templateSize.height());

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("aboutOk"));
    ok->setDefault(true);
    QRect okRect = DluToPixels({113, 41, 50, 14}, scale);
    okRect.moveRight(boxWidth - (templateSize.width() - okRect.right()));
    ok->setGeometry(okRect);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
