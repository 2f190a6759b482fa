#include "app/mainwindow.h"
#include "app/russian.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Lets the desktop match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.loudspeaker_planner.LoudspeakerPlanner"));
    installRussianTexts(application);
    MainWindow window;
    window.show();
    return application.exec();
}
