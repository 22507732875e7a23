// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the application icon for the icon theme at build time.
#include "LogoSvg.h"

#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.svg\n", argv[0]);
        return 2;
    }
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray svg = vellumbox::logoSvg().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(svg) != svg.size() || !file.flush() ||
        !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
