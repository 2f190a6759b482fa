#pragma once

// Start-up figure: the time from the launch of the process to its first
// window on screen, and the peak memory at that moment.
//
// The launch time comes from the shell that starts the program: it stores
// its clock (CLOCK_REALTIME, as bash's EPOCHREALTIME in seconds with
// microseconds) in BENCH_LAUNCH_TIME just before it starts the program, so
// the figure includes loading and linking the libraries, static
// construction, the application object, the window and its first paint.
// The kernel's own start time of the process (/proc/self/stat field 22,
// in clock ticks since boot, compared with CLOCK_BOOTTIME) is printed beside
// it as a cross-check; it counts from the same moment but only in 10 ms steps.
//
// The window counts as shown when its first paint has been delivered and
// the event loop is free again: the first paint event of any widget of the
// window posts a zero timer, which fires after the whole paint pass and the
// flush of the backing store.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace bench {

inline double clockMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The moment main() began, on the wall clock.
inline double &mainStartMs()
{
    static double value = 0.0;
    return value;
}

inline void markMainStart()
{
    mainStartMs() = clockMs(CLOCK_REALTIME);
}

// Milliseconds from the launch stamp in BENCH_LAUNCH_TIME to now, or a
// negative number when it is not set.
inline double sinceLaunchMs(double nowRealtimeMs)
{
    const char *launch = std::getenv("BENCH_LAUNCH_TIME");
    if (!launch || !*launch)
        return -1.0;
    // "seconds.microseconds" whatever the locale's decimal point.
    std::string text(launch);
    const auto dot = text.find_first_of(".,");
    const double seconds = std::strtod(text.substr(0, dot).c_str(), nullptr);
    double micros = 0.0;
    if (dot != std::string::npos) {
        std::string fraction = text.substr(dot + 1);
        fraction.resize(6, '0');
        micros = std::strtod(fraction.c_str(), nullptr);
    }
    return nowRealtimeMs - (seconds * 1e3 + micros / 1e3);
}

// Milliseconds from the kernel's start time of this process to now
// (10 ms resolution with the usual 100 ticks per second).
inline double sinceKernelStartMs(double nowBoottimeMs)
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // The command name (field 2) is in parentheses and may hold spaces.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    for (int number = 3; number <= 22 && rest >> field; ++number) {
        if (number == 22)
            return nowBoottimeMs - std::stod(field) * 1e3 / double(sysconf(_SC_CLK_TCK));
    }
    return -1.0;
}

inline long peakRssKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FirstShow : public QObject {
public:
    explicit FirstShow(QWidget *window) : m_window(window) { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            m_seen = true;
            QTimer::singleShot(0, this, &FirstShow::report);
        }
        return false;
    }

private:
    void report()
    {
        const double realtime = clockMs(CLOCK_REALTIME);
        const double boottime = clockMs(CLOCK_BOOTTIME);
        std::printf("launch_to_shown_ms=%.2f kernel_start_to_shown_ms=%.0f main_to_shown_ms=%.2f "
                    "peak_rss_kib=%ld\n",
                    sinceLaunchMs(realtime), sinceKernelStartMs(boottime), realtime - mainStartMs(),
                    peakRssKib());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    QWidget *m_window;
    bool m_seen = false;
};

// Shows window, waits for its first paint, prints the figures and returns
// the exit code of the event loop. Fails when nothing is painted in 30 s.
inline int runUntilFirstShown(QApplication &application, QWidget &window)
{
    FirstShow watcher(&window);
    application.installEventFilter(&watcher);
    window.show();
    QTimer::singleShot(30000, [] {
        std::fprintf(stderr, "no paint within 30 s\n");
        QCoreApplication::exit(1);
    });
    return application.exec();
}

} // namespace bench
