// Writes the program's 32 x 32 icon, as the window draws it, into a PNG for
// the desktop installation. Runs at build time; needs no display.
// Usage: icon-png <file.png>
#include "app/windowicon.h"

#include <QString>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon-png <file.png>\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    if (!makeWindowIconImage().save(file, "PNG")) {
        std::fprintf(stderr, "icon-png: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
