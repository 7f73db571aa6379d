#pragma once

#include <QImage>

// The sizes the application icon is drawn at: the window's icon set and the installed theme
// icons are the same pictures.
inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64};

// The application icon at size x size pixels, transparent around its rounded tile. Needs only
// Qt's painting, no application object, so the packaging step can draw it too.
QImage AppIconImage(int size);
