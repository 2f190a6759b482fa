#pragma once

#include <functional>

class MainWindow;
class QObject;

// SIGTERM and SIGINT for the windowed program. The signal handler only
// writes the signal's number into a pipe; the UI thread reads it in its
// event loop and ends the program there, where it may touch the windows.
namespace termination {

// Calls onSignal(signal) on the UI thread, from its event loop, for a
// SIGTERM or SIGINT (even one the program was started to ignore); a second
// such signal before the program has ended ends it at once. The handlers
// stay for the program's life; false when they could not be set up.
bool install(QObject *context, std::function<void(int signal)> onSignal);

// What the windowed program does on such a signal, without asking anything:
// it writes the recovery copy of unsaved changes in the "Объект" window
// now (the copy stays, to be offered at the next start) and ends with
// 128 + signal. From the main event loop it leaves it, so that every
// window goes and cancels its background computation on the way; from a
// dialog's loop, or before the main loop runs, it ends the process at once,
// since the code waiting for that dialog would take the ending for the
// user's answer (a recovery copy refused, say).
void endOnSignals(MainWindow &window);

} // namespace termination
