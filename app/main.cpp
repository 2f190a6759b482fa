#include "app/mainwindow.h"
#include "app/russian.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    installRussianTexts(application);
    MainWindow window;
    window.show();
    return application.exec();
}
