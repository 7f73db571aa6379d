#include "ui/discovery/discovery_choice.h"

#include <QRegularExpression>

std::vector<std::string> SplitList(const QString& text) {
    std::vector<std::string> items;
    for (const QString& item :
         text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts))
        items.push_back(item.toStdString());
    return items;
}
