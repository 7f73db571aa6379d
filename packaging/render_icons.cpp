// Writes the application icon as the theme's PNG files, OUT/<N>x<N>/apps/quorvane.png for each
// size the program draws, so the installed menu icon is the window's own picture. The build
// names the sizes it installs; a list that differs from the program's fails the build.
#include <QDir>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "ui/app_icon_image.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    bool same = argc - 2 == static_cast<int>(std::size(kAppIconSizes));
    for (int i = 2; same && i < argc; ++i) same = std::atoi(argv[i]) == kAppIconSizes[i - 2];
    if (!same) {
        std::fprintf(stderr, "render_icons: the installed sizes differ from the program's\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : kAppIconSizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = dir + QStringLiteral("/quorvane.png");
        if (!QDir().mkpath(dir) || !AppIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
