// The program's own start-up, as app/main.cpp does it, up to the first
// painted window; see firstshow.h for what is measured.
#include "firstshow.h"

#include "app/mainwindow.h"
#include "app/russian.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    bench::markMainStart();
    QApplication application(argc, argv);
    installRussianTexts(application);
    MainWindow window;
    return bench::runUntilFirstShown(application, window);
}
