// The recovery copy: a program killed with SIGKILL after a change leaves a
// copy that the next start offers to restore; a clean close leaves none;
// SIGTERM and SIGINT end the program within a second, the change written
// to the copy first. The killed program is this test run again as a child
// ("--child FILE", or "--child-signals FILE" with the program's handling
// of those signals): it builds the main window as the program does, opens
// FILE in the "Объект" window, deletes a room through the menu and waits.
// The program itself is sent the signals too, though it was started to
// ignore them.

#include "recordingmessenger.h"

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/termination.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/recovery.h"
#include "project/roomtable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The program ends within a second of a signal. Built under
// AddressSanitizer it runs many times slower (its exit frees a huge map's
// memory through the sanitizer's allocator), so there it is given five.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 SignalEndMs = 5000;
#else
constexpr qint64 SignalEndMs = 1000;
#endif

void nameTheProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("loudspeaker-planner"));
    QCoreApplication::setApplicationName(QStringLiteral("loudspeaker-planner"));
}

QAction *menuAction(QWidget *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

int runChild(int argc, char *argv[], bool signalsEnd)
{
    QApplication application(argc, argv);
    nameTheProgram();
    MainWindow window;
    if (signalsEnd)
        termination::endOnSignals(window);
    window.show();
    startup::openProject(window, QString::fromLocal8Bit(argv[2]));
    project::ProjectWindow *projectWindow = window.projectWindow();
    projectWindow->view()->setCurrentIndex(projectWindow->view()->model()->index(0, 1));
    menuAction(projectWindow, QStringLiteral("&Удалить помещение"))->trigger();
    std::printf("changed %d\n", projectWindow->model()->roomCount());
    std::fflush(stdout);
    return application.exec();
}

} // namespace

class ProjectRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedProgramIsOffered_data();
    void killedProgramIsOffered();
    void cleanCloseLeavesNoCopy();
    void windowGoneUnclosedKeepsItsCopy();
    void signalKeepsTheChange_data();
    void signalKeepsTheChange();
    void programEndsOnSignals_data();
    void programEndsOnSignals();

private:
    QString projectFile();
    QTemporaryDir home;
};

void ProjectRecoveryTest::initTestCase()
{
    QVERIFY(home.isValid());
    // The child and this run share a data folder of their own, never the user's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    nameTheProgram();
    QVERIFY(project::recoveryFolder().startsWith(home.path()));
}

QString ProjectRecoveryTest::projectFile()
{
    project::Project p;
    p.name = "Проверка";
    project::RoomInputs in;
    in.model = "GK-1";
    in.directivity = in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "ТЕАТР";
    in.height = "3";
    in.length = "6";
    in.width = "6";
    in.areaFromSides = true;
    p.rooms.push_back({"Зал", "1", "", in, "на одной стене", {}});
    p.rooms.push_back({"Фойе", "1", "", in, "на одной стене", {}});
    const QString path = home.filePath("object.lsplan");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(project::projectBytes(p, {}));
    return path;
}

void ProjectRecoveryTest::killedProgramIsOffered_data()
{
    QTest::addColumn<bool>("restore");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void ProjectRecoveryTest::killedProgramIsOffered()
{
    QFETCH(bool, restore);
    const QString file = projectFile();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--child", file});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("changed 1"), 20000);

    // Within two seconds of the change the copy is there; its program
    // still runs, so it is not offered yet.
    QTest::qWait(2000);
    const QStringList copies = QDir(project::recoveryFolder()).entryList({"*.lsplan"}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QVERIFY(project::leftCopies().empty());

    child.kill(); // SIGKILL
    QVERIFY(child.waitForFinished());
    const std::vector<project::LeftCopy> left = project::leftCopies();
    QCOMPARE(left.size(), std::size_t(1));
    QCOMPARE(left.front().projectPath, file);

    MainWindow window;
    RecordingMessenger messages;
    messages.answers.push_back(restore ? Messenger::Answer::Yes : Messenger::Answer::No);
    startup::offerRecovery(window, messages);
    QCOMPARE(messages.texts(),
             QStringList{QString("Найден несохраненный объект «Проверка» от %1. Восстановить?")
                             .arg(left.front().written.toString("dd.MM.yyyy hh:mm"))});
    QVERIFY(project::leftCopies().empty());
    if (restore) {
        project::ProjectWindow *projectWindow = window.projectWindow();
        QVERIFY(projectWindow);
        QVERIFY(projectWindow->isVisible());
        QVERIFY(projectWindow->isModified());
        QCOMPARE(projectWindow->filePath(), file);
        QCOMPARE(projectWindow->model()->roomCount(), 1);
        QCOMPARE(projectWindow->model()->project().rooms.front().name, QString("Фойе"));
        projectWindow->discardProject();
    } else {
        QVERIFY(!window.projectWindow());
    }
    QVERIFY(QDir(project::recoveryFolder()).entryList({"*.lsplan"}, QDir::Files).isEmpty());
}

void ProjectRecoveryTest::cleanCloseLeavesNoCopy()
{
    MainWindow window;
    RecordingMessenger messages;
    window.setMessenger(&messages);
    window.show();
    startup::openProject(window, projectFile());
    project::ProjectWindow *projectWindow = window.projectWindow();
    projectWindow->view()->setCurrentIndex(projectWindow->view()->model()->index(1, 1));
    menuAction(projectWindow, "&Удалить помещение")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(projectWindow->recoveryPath()), 2000);
    // Undone to the saved state: nothing left to recover.
    projectWindow->undoStack()->undo();
    QVERIFY(!QFile::exists(projectWindow->recoveryPath()));
    projectWindow->undoStack()->redo();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(projectWindow->recoveryPath()), 2000);
    messages.answers.push_back(Messenger::Answer::No);
    window.close();
    QCOMPARE(messages.texts(), QStringList{"Сохранить изменения в объекте «Проверка»?"});
    QVERIFY(!QFile::exists(projectWindow->recoveryPath()));
    QVERIFY(QDir(project::recoveryFolder()).entryList({"*"}, QDir::Files | QDir::Hidden).isEmpty());
}

// The copy written at once on request (before its usual delay) stays when
// the window goes without its project being closed, as at a signal's end.
void ProjectRecoveryTest::windowGoneUnclosedKeepsItsCopy()
{
    auto window = std::make_unique<MainWindow>();
    RecordingMessenger messages;
    window->setMessenger(&messages);
    startup::openProject(*window, projectFile());
    project::ProjectWindow *projectWindow = window->projectWindow();
    projectWindow->view()->setCurrentIndex(projectWindow->view()->model()->index(0, 1));
    menuAction(projectWindow, "&Удалить помещение")->trigger();
    const QString copy = projectWindow->recoveryPath();
    QVERIFY(!QFile::exists(copy));
    projectWindow->writeRecoveryCopyNow();
    QVERIFY(QFile::exists(copy));
    window.reset();
    QVERIFY(QFile::exists(copy));
    const std::vector<project::LeftCopy> left = project::leftCopies();
    QCOMPARE(left.size(), std::size_t(1));
    QCOMPARE(project::parseProject(left.front().bytes).project->rooms.size(), std::size_t(1));
    project::discard(left.front());
    QCOMPARE(messages.texts(), QStringList());
}

void ProjectRecoveryTest::signalKeepsTheChange_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

// A signal right after a change, before the copy would be written: the
// program ends within a second, normally, and the copy holds the change.
void ProjectRecoveryTest::signalKeepsTheChange()
{
    QFETCH(int, signal);
    const QString file = projectFile();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--child-signals", file});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("changed 1"), 20000);
    QVERIFY(QDir(project::recoveryFolder()).entryList({"*.lsplan"}, QDir::Files).isEmpty());

    QElapsedTimer clock;
    clock.start();
    QVERIFY(::kill(pid_t(child.processId()), signal) == 0);
    QVERIFY(child.waitForFinished(5000));
    const qint64 took = clock.elapsed();
    qInfo("Ended %lld ms after the signal", qlonglong(took));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 128 + signal);
    QVERIFY2(took < SignalEndMs, qPrintable(QString::number(took)));

    const std::vector<project::LeftCopy> left = project::leftCopies();
    QCOMPARE(left.size(), std::size_t(1));
    QCOMPARE(left.front().projectPath, file);
    const project::ReadResult read = project::parseProject(left.front().bytes);
    QVERIFY(read.project);
    QCOMPARE(read.project->rooms.size(), std::size_t(1));
    QCOMPARE(read.project->rooms.front().name, QString("Фойе"));
    project::discard(left.front());
}

void ProjectRecoveryTest::programEndsOnSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("leftCopy"); // the start asks about a copy left
    QTest::newRow("SIGTERM, a large map computed") << SIGTERM << false;
    QTest::newRow("SIGINT, a large map computed") << SIGINT << false;
    QTest::newRow("SIGTERM, asking about a copy") << SIGTERM << true;
}

// The program, started to ignore SIGTERM and SIGINT (as a container's
// first process or a job of some shells is), still ends within a second
// of one: while its background computes a map of many seconds, and while
// it asks about a recovery copy, which stays to be offered again.
void ProjectRecoveryTest::programEndsOnSignals()
{
    QFETCH(int, signal);
    QFETCH(bool, leftCopy);
    project::Project p;
    p.name = "Ангар";
    project::RoomInputs in;
    in.model = "KE-1";
    in.mounting = calc::Mounting::Ceiling;
    in.directivity = "150";
    in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "ТЕАТР";
    in.height = "3.3";
    in.length = "3500";
    in.width = "3500";
    in.areaFromSides = true;
    p.rooms.push_back({"Ангар", "1", "", in, "рядами", {}});
    const QString path = home.filePath("hangar.lsplan");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(project::projectBytes(p, {})) > 0);
    file.close();
    const QString copy = project::recoveryFolder() + "/object-1.lsplan";
    if (leftCopy) {
        QVERIFY(QDir().mkpath(project::recoveryFolder()));
        QFile left(copy);
        QVERIFY(left.open(QIODevice::WriteOnly) && left.write(project::projectBytes(p, {})) > 0);
    }

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setChildProcessModifier([] {
        ::signal(SIGTERM, SIG_IGN);
        ::signal(SIGINT, SIG_IGN);
    });
    program.start(PLANNER_PROGRAM, leftCopy ? QStringList() : QStringList{path});
    QVERIFY(program.waitForStarted());
    // Up, with the map or the question under way.
    QVERIFY(!program.waitForFinished(2000));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(::kill(pid_t(program.processId()), signal) == 0);
    const bool ended = program.waitForFinished(5000);
    const qint64 took = clock.elapsed();
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    QVERIFY(ended);
    qInfo("Ended %lld ms after the signal", qlonglong(took));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + signal);
    QVERIFY2(took < SignalEndMs, qPrintable(QString::number(took)));
    // Nothing was changed, and the copy left is still there to offer.
    const std::vector<project::LeftCopy> left = project::leftCopies();
    QCOMPARE(left.size(), std::size_t(leftCopy ? 1 : 0));
    for (const project::LeftCopy &c : left) {
        QCOMPARE(c.path, copy);
        project::discard(c);
    }
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv, false);
    if (argc == 3 && std::strcmp(argv[1], "--child-signals") == 0)
        return runChild(argc, argv, true);
    QApplication application(argc, argv);
    ProjectRecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_project_recovery.moc"
