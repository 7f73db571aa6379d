#include "ui/filter_box.h"

#include <QKeyEvent>

FilterBox::FilterBox(QWidget* parent) : QLineEdit(parent) {}

void FilterBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
