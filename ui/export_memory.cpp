#include "ui/export_memory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <utility>

#include "ui/export_choice.h"

namespace {

const QString kFilterKey = QStringLiteral("export/filter");
const QString kAttributesKey = QStringLiteral("export/allAttributes");

}  // namespace

ExportMemory::ExportMemory(QString settingsPath) : path(std::move(settingsPath)) {
    if (!QFileInfo::exists(path)) return;
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError) return;
    // A name this version does not know keeps the default.
    if (const auto known = FilterFromName(s.value(kFilterKey).toString().toStdString()))
        filter = *known;
    attributes = s.value(kAttributesKey).toString() == QStringLiteral("true");
}

void ExportMemory::Remember(SaveFilter chosen, bool allAttributes) {
    filter = chosen;
    attributes = allAttributes;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings s(path, QSettings::IniFormat);
    s.setValue(kFilterKey, QString::fromStdString(FilterName(chosen)));
    s.setValue(kAttributesKey, allAttributes ? QStringLiteral("true") : QStringLiteral("false"));
}
