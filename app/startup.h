#pragma once

#include <QString>

class MainWindow;
class Messenger;

// What the program does once its main window is shown.
namespace startup {

// Offers every recovery copy left by a run that did not end cleanly:
// "Да" opens it in the "Объект" window as unsaved, "Нет" throws it away.
void offerRecovery(MainWindow &window, Messenger &messenger);

// Opens the project file in the "Объект" window (a project open there
// with unsaved changes is asked about first).
void openProject(MainWindow &window, const QString &path);

} // namespace startup
