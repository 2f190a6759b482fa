// The recovery copy: a program killed with SIGKILL after a change leaves a
// copy that the next start offers to restore; a clean close leaves none.
// The killed program is this test run again as a child ("--child FILE"):
// it builds the main window as the program does, opens FILE in the
// "Объект" window, deletes a room through the menu and waits.

#include "recordingmessenger.h"

#include "app/mainwindow.h"
#include "app/startup.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/recovery.h"
#include "project/roomtable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <cstdio>
#include <cstring>

namespace {

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

int runChild(int argc, char *argv[])
{
    QApplication application(argc, argv);
    nameTheProgram();
    MainWindow window;
    window.show();
    startup::openProject(window, QString::fromLocal8Bit(argv[2]));
    project::ProjectWindow *projectWindow = window.projectWindow();
    projectWindow->view()->setCurrentIndex(projectWindow->view()->model()->index(0, 1));
    menuAction(projectWindow, QStringLiteral("&Удалить помещение"))->trigger();
    std::printf("changed %d\n", projectWindow->table()->roomCount());
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
    p.rooms.push_back({"Зал", "1", "", in, "на одной стене"});
    p.rooms.push_back({"Фойе", "1", "", in, "на одной стене"});
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
        QCOMPARE(projectWindow->table()->roomCount(), 1);
        QCOMPARE(projectWindow->table()->project().rooms.front().name, QString("Фойе"));
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

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication application(argc, argv);
    ProjectRecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_project_recovery.moc"
