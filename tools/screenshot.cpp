// Renders the real main window, as it stands after start-up, into a PNG.
// Usage: window-screenshot <file.png>
#include "app/mainwindow.h"
#include "app/russian.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    installRussianTexts(application);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window-screenshot <file.png>\n");
        return 2;
    }
    MainWindow window;
    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
