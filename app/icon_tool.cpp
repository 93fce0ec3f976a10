// vyn-icon-art FOLDER: writes the application icon into FOLDER as a hicolor theme tree, the
// PNG sizes desktops ask for and the scalable SVG, all drawn from the in-program art.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/app_art.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vyn-icon-art FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) || !IconImage(size).save(folder + "/vyn-player.png")) {
            std::fprintf(stderr, "vyn-icon-art: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    const QString scalable = root + QStringLiteral("/scalable/apps");
    QFile svg(scalable + QStringLiteral("/vyn-player.svg"));
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) || svg.write(IconSvg()) < 0) {
        std::fprintf(stderr, "vyn-icon-art: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    return 0;
}
