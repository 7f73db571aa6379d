#include "ui/center_over.h"

#include <QWidget>

void CenterOver(QWidget& window, const QWidget& over) {
    const QRect main = over.frameGeometry();
    const QRect own = window.frameGeometry();
    window.move(main.left() + (main.width() - own.width()) / 2,
                main.top() + (main.height() - own.height()) / 2);
}
