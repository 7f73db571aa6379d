#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Loaded on first use and kept; installing and removing it is what switches the language.
QTranslator* ChineseQt() {
    static QTranslator* translator = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete t;
            return static_cast<QTranslator*>(nullptr);
        }
        return t;
    }();
    return translator;
}

bool installed = false;

}  // namespace

void UseQtTranslations(int language) {
    if (QCoreApplication::instance() == nullptr) return;
    QTranslator* chinese = ChineseQt();
    if (chinese == nullptr) return;  // not shipped on this machine: Qt stays English
    const bool wanted = language == 0;
    if (wanted == installed) return;
    if (wanted) {
        QCoreApplication::installTranslator(chinese);
    } else {
        QCoreApplication::removeTranslator(chinese);
    }
    installed = wanted;
}

bool QtTranslationsInstalled() { return installed; }
