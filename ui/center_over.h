#pragma once

class QWidget;

// Moves `window` so that its centre is `over`'s: how the main window places its dialogs.
void CenterOver(QWidget& window, const QWidget& over);
