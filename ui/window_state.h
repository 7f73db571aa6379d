#pragma once

#include <functional>

#include "ui/server_history.h"

class PointListView;
class QWidget;

// The language a start speaks: a first start the desktop's (`desktopLanguage`), later ones the
// language last used.
int StartLanguage(const ServerHistory::WindowState& saved, int desktopLanguage);

// How the window looked when it last closed: its language (switched with `toggleLanguage`),
// its size, never below its minimum, and the list's column widths.
void RestoreWindowState(const ServerHistory::WindowState& saved, QWidget& window,
                        PointListView& listView, const std::function<void()>& toggleLanguage);
void SaveWindowState(ServerHistory& history, const QWidget& window, const PointListView& listView);
