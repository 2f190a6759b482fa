#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/russian.h"
#include "app/startup.h"
#include "app/termination.h"
#include "widgets/messenger.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// The names the settings and the user's data folder go under.
void nameTheProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("loudspeaker-planner"));
    QCoreApplication::setApplicationName(QStringLiteral("loudspeaker-planner"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLANNER_VERSION));
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The command line that shows no window: help, version, export, or what is
// wrong with the arguments. Only a core application is made for it, or,
// for a document that paints text, a GUI application on the offscreen
// platform, which needs no display.
int runWithoutWindows(int argc, char *argv[], const commandline::Request &request)
{
    // Before the application, whose making already warns (e.g. of a
    // missing runtime folder).
    commandline::quietQtMessages();
    std::unique_ptr<QCoreApplication> app;
    if (commandline::exportNeedsFonts(request)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication &application = *app;
    nameTheProgram();
    installRussianTexts(application);
    QTextStream out(stdout);
    QTextStream err(stderr);
    switch (request.kind) {
    case commandline::Request::Kind::Help: out << commandline::helpText(); return commandline::Done;
    case commandline::Request::Kind::Version: out << commandline::versionText(); return commandline::Done;
    case commandline::Request::Kind::Export:
        if (request.roomPlan)
            return commandline::exportRoomPlan(request, err);
        if (request.floorPlan)
            return commandline::exportFloor(request, err);
        return commandline::exportTable(request.exportPath, request.projectFile, err);
    case commandline::Request::Kind::ImportPlan: return commandline::importPlan(request, out, err);
    case commandline::Request::Kind::Wrong:
    case commandline::Request::Kind::Windows: break;
    }
    err << request.error << Qt::endl << QStringLiteral("Справка: loudspeaker-planner --help") << Qt::endl;
    return commandline::WrongArguments;
}

} // namespace

int main(int argc, char *argv[])
{
    const commandline::Request request = commandline::parse(argumentsOf(argc, argv));
    if (request.kind != commandline::Request::Kind::Windows)
        return runWithoutWindows(argc, argv, request);

    QApplication application(argc, argv);
    nameTheProgram();
    // Lets the desktop match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.loudspeaker_planner.LoudspeakerPlanner"));
    installRussianTexts(application);
    MainWindow window;
    // SIGTERM and SIGINT end the program without asking, keeping unsaved
    // changes in the recovery copy; from here on, recovery questions too.
    termination::endOnSignals(window);
    window.show();
    MessageBoxMessenger messenger(&window);
    // The recovery copies and a project named on the command line are
    // looked at from the event loop, so that the window paints first.
    QTimer::singleShot(0, &window, [&window, &messenger, &request] {
        startup::offerRecovery(window, messenger);
        if (!request.projectFile.isEmpty())
            startup::openProject(window, request.projectFile);
    });
    return application.exec();
}
