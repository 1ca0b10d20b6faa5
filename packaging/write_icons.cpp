// Writes the program's icon as PNG files for the hicolor icon theme:
//   write_icons OUT_DIR NAME   ->   OUT_DIR/hicolor/<N>x<N>/apps/NAME.png
#include "shell/gui/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_icons OUT_DIR NAME\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QIcon icon = orv::ProgramIcon();
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        if (!QDir().mkpath(folder) || pixmap.size() != QSize(size, size) ||
            !pixmap.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "write_icons: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
