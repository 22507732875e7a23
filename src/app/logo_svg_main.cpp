// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the application icon for the icon theme at build time.
#include "LogoSvg.h"

#include "platform/SafeFile.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.svg\n", argv[0]);
        return 2;
    }
    if (const auto failure = vellumbox::writeFileSafely(QString::fromLocal8Bit(argv[1]),
                                                        vellumbox::logoSvg().toUtf8())) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(*failure));
        return 1;
    }
    return 0;
}
