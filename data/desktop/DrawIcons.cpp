// Writes the icon theme files of both windowed programs, drawn by the same code as their
// window icons: OUT/hicolor/NxN/apps/wintav32.png and nux.png.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "diagpanel/SkinBitmaps.h"
#include "pages/ProgramIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tav_icons OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "tav_icons: cannot create %s\n", folder.toLocal8Bit().constData());
            return 1;
        }
        if (!tav::DrawProgramIcon(size).save(folder + "/wintav32.png") ||
            !nux::DrawAppIcon(size).save(folder + "/nux.png")) {
            std::fprintf(stderr, "tav_icons: cannot write the icons in %s\n", folder.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
