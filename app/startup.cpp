#include "startup.h"

#include "app/mainwindow.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/recovery.h"
#include "widgets/messenger.h"

namespace startup {

void offerRecovery(MainWindow &window, Messenger &messenger)
{
    for (const project::LeftCopy &copy : project::leftCopies()) {
        const project::ReadResult read = project::parseProject(copy.bytes);
        if (!read.project) {
            project::discard(copy);
            continue;
        }
        QString name = read.project->name;
        if (name.isEmpty())
            name = QStringLiteral("Без имени");
        const QString question = project::recoveryQuestion(name, copy.written);
        if (messenger.askYesNo(question, QString()) == Messenger::Answer::Yes) {
            window.mproject_Click();
            project::ProjectWindow *projectWindow = window.projectWindow();
            if (projectWindow->confirmClose() && projectWindow->restore(copy.bytes, copy.projectPath))
                project::discard(copy);
        } else {
            project::discard(copy);
        }
    }
}

void openProject(MainWindow &window, const QString &path)
{
    window.mproject_Click();
    project::ProjectWindow *projectWindow = window.projectWindow();
    if (projectWindow->confirmClose())
        projectWindow->openFile(path);
}

} // namespace startup
