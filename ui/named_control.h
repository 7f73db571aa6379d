#pragma once

#include <QString>
#include <QVariant>

// Gives a control the name tests find it by and the id of its place in the dialog template.
template <class W>
W* Named(W* widget, const char* name, int id) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setProperty("controlId", id);
    return widget;
}
