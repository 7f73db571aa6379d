#include "ui/app_icon.h"

#include <QPixmap>

#include "ui/app_icon_image.h"

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : kAppIconSizes) i.addPixmap(QPixmap::fromImage(AppIconImage(size)));
        return i;
    }();
    return icon;
}
