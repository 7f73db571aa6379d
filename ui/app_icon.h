#pragma once

#include <QIcon>

// The application icon, drawn in code so that the program needs no files at run time.
QIcon AppIcon();
