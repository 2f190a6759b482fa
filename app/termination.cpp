#include "termination.h"

#include "app/mainwindow.h"
#include "project/projectwindow.h"

#include <QApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace termination {

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t received = 0;

void handleSignal(int signal)
{
    if (received != 0)
        _exit(128 + signal);
    received = signal;
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

bool install(QObject *context, std::function<void(int signal)> onSignal)
{
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onSignal = std::move(onSignal)] {
        unsigned char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            onSignal(int(byte));
    });
    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

void endOnSignals(MainWindow &window)
{
    install(&window, [&window](int signal) {
        if (project::ProjectWindow *projects = window.projectWindow())
            projects->writeRecoveryCopyNow();
        const int code = 128 + signal;
        if (QThread::currentThread()->loopLevel() == 1 && !QApplication::activeModalWidget()) {
            QCoreApplication::exit(code);
            return;
        }
        std::fflush(nullptr);
        _exit(code);
    });
}

} // namespace termination
