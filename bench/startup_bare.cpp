// The baseline: an empty Qt window of the main window's client size, started
// and measured the same way as the program (see firstshow.h).
#include "firstshow.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    bench::markMainStart();
    QApplication application(argc, argv);
    QWidget window;
    window.resize(10485 / 15, 8385 / 15);
    return bench::runUntilFirstShown(application, window);
}
