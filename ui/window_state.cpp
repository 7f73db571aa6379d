#include "ui/window_state.h"

#include <QWidget>

#include "texts/locale_language.h"
#include "texts/text_table.h"
#include "ui/point_list_view.h"

int StartLanguage(const ServerHistory::WindowState& saved, int desktopLanguage) {
    return saved.language ? *saved.language : desktopLanguage;
}

// A first start finds nothing and looks as it always did.
void RestoreWindowState(const ServerHistory::WindowState& saved, QWidget& window,
                        PointListView& listView, const std::function<void()>& toggleLanguage) {
    const int wanted = StartLanguage(saved, LocaleLanguageOfEnvironment());
    if (wanted != language) toggleLanguage();
    if (saved.size) window.resize(saved.size->expandedTo(window.minimumSize()));
    if (saved.columnWidths) listView.RestoreColumnWidths(*saved.columnWidths);
}

void SaveWindowState(ServerHistory& history, const QWidget& window, const PointListView& listView) {
    std::array<int, kColumnCount> widths{};
    for (int c = 0; c < kColumnCount; ++c) widths[c] = listView.columnWidth(c);
    history.SaveWindow(language, window.size(), widths);
}
