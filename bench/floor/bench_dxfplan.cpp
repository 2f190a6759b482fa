// Speed of reading an architect's floor plan: a generated school floor of
// 2000 rooms (about 40 MB of DXF, floorplangen.h) written to a temporary
// file and read with readFloorPlan, as the import does. Prints the file's
// size, the median time of several reads, what was found and the peak
// memory of the process.
// Usage: bench_dxfplan [rooms] [runs]
#include "floorplangen.h"
#include "project/dxfplan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

// The processor time of the whole process (all its threads), ms.
double cpuMs()
{
    struct rusage usage { };
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e3
        + (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e3;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rooms = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    QElapsedTimer timer;
    timer.start();
    const floorgen::GeneratedPlan generated = floorgen::floorPlan(rooms);
    const double generating = double(timer.nsecsElapsed()) / 1e6;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("floor.dxf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(generated.dxf.data(), qint64(generated.dxf.size())) != qint64(generated.dxf.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    file.close();

    std::vector<double> times;
    std::vector<double> cpu;
    project::PlanReading reading;
    for (int run = 0; run < runs; ++run) {
        reading = {};
        const double cpuBefore = cpuMs();
        timer.restart();
        reading = project::readFloorPlan(path, project::PlanReadOptions{});
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMs() - cpuBefore);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    if (!reading.plan) {
        std::fprintf(stderr, "not read: %s\n", qPrintable(reading.refusal));
        return 1;
    }
    const project::FloorPlanFile &plan = *reading.plan;
    int named = 0;
    for (const project::PlanRoom &room : plan.rooms)
        named += room.name.isEmpty() ? 0 : 1;
    struct rusage usage { };
    getrusage(RUSAGE_SELF, &usage);

    std::printf("plan of %d rooms: %.1f MB of DXF, generated in %.0f ms\n", rooms,
                double(generated.dxf.size()) / 1e6, generating);
    std::printf("read (readFloorPlan): median %.0f ms, best %.0f ms, worst %.0f ms over %d runs; "
                "processor time of all threads: median %.0f ms, best %.0f ms\n",
                times[times.size() / 2], times.front(), times.back(), runs, cpu[cpu.size() / 2], cpu.front());
    std::printf("layer \"%s\": %zu rooms (%d expected), %d named; skipped: open %d (%d), small %d (%d), "
                "crossing %d\n",
                qPrintable(plan.layer), plan.rooms.size(), generated.rooms, named, plan.skipped.open,
                generated.open, plan.skipped.small, generated.columns, plan.skipped.selfCrossing);
    std::printf("underlay: %zu lines on %zu layers\n", plan.background.size(), plan.layers.size());
    std::printf("peak memory of the process: %.0f MB (the generated text %.0f MB of it)\n",
                double(usage.ru_maxrss) / 1024.0, double(generated.dxf.capacity()) / 1e6);
    return 0;
}
