// Speed of a floor's import and what follows it: a generated school floor
// of 2000 rooms (about 40 MB of DXF, floorplangen.h) read and imported into
// a project as the window's import does, the project written and opened in
// the "Объект" window, and the floor's DXF drawn for CAD. Prints the median
// of several runs of each. bench/floor/run.sh also times the command line's
// --import-plan and --export of the floor as whole processes.
// Usage: bench_floorimport <folder> [rooms] [runs]
// Leaves <folder>/floor.dxf and <folder>/floor.lsplan.
#include "floorplangen.h"

#include "app/roomevaluation.h"
#include "project/dxfplan.h"
#include "project/floorcontent.h"
#include "project/floordxf.h"
#include "project/floorimport.h"
#include "project/projectmodel.h"
#include "project/projectwindow.h"
#include "project/roomresults.h"
#include "widgets/messenger.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class Silent : public Messenger {
public:
    void inform(const QString &, const QString &) override { }
    Answer ask(const QString &, const QString &) override { return Answer::No; }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_floorimport <folder> [rooms] [runs]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int rooms = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const QString planPath = QDir(folder).filePath(QStringLiteral("floor.dxf"));
    const QString projectPath = QDir(folder).filePath(QStringLiteral("floor.lsplan"));
    {
        const floorgen::GeneratedPlan plan = floorgen::floorPlan(rooms);
        QFile file(planPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(plan.dxf.data(), qint64(plan.dxf.size())) < 0)
            return 1;
        std::printf("plan: %d rooms, %.1f MB of DXF\n", plan.rooms, double(plan.dxf.size()) / 1e6);
    }

    const RoomEvaluation calculator;
    const project::RoomInputs startup = startupRoomInputs();
    const project::RoomTemplate roomTemplate{startup, calculator.defaultLayout(startup.mounting)};
    std::vector<double> reading, importing;
    std::size_t imported = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const project::PlanReading read = project::readFloorPlan(planPath, {});
        if (!read.plan)
            return 1;
        reading.push_back(msSince(timer));
        timer.restart();
        std::vector<project::ImportedRoom> found;
        found.reserve(read.plan->rooms.size());
        for (const project::PlanRoom &room : read.plan->rooms)
            found.push_back({room.outline, room.name});
        project::ProjectModel model;
        const project::FloorImport import = project::planFloorImport(
            model, found, roomTemplate,
            {"1", QStringLiteral("floor.dxf"), project::unitKey(read.plan->unit), read.plan->layer},
            calculator.roomTypes());
        project::applyFloorImport(model, import, false);
        importing.push_back(msSince(timer));
        imported = std::size_t(model.roomCount());
        if (run == 0) {
            // The file, with the calculation's figures as the window saves it.
            const project::RoomResultsService results(model, calculator, u'.');
            QFile file(projectPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(results.fileBytes()) < 0)
                return 1;
        }
    }
    std::printf(
        "read: %.0f ms, import into the project: %.0f ms, together %.0f ms (median of %d); %zu rooms\n",
        median(reading), median(importing), median(reading) + median(importing), runs, imported);

    // A floor imported again: every outline matched with its room.
    {
        const project::PlanReading read = project::readFloorPlan(planPath, {});
        project::ProjectModel model;
        std::vector<project::ImportedRoom> found;
        for (const project::PlanRoom &room : read.plan->rooms)
            found.push_back({room.outline, room.name});
        const project::FloorPlan plan{"1", QStringLiteral("floor.dxf"), QStringLiteral("mm"),
                                      read.plan->layer};
        project::applyFloorImport(model, project::planFloorImport(model, found, roomTemplate, plan, {}),
                                  false);
        QElapsedTimer timer;
        timer.start();
        const project::FloorImport again = project::planFloorImport(model, found, roomTemplate, plan, {});
        std::printf("match of a floor imported again: %.0f ms (%zu kept, %zu new)\n", msSince(timer),
                    again.kept.size(), again.added.size());
    }

    Silent messenger;
    std::vector<double> opened, drawn, dxf;
    for (int run = 0; run < runs; ++run) {
        project::ProjectWindow window(calculator, &messenger);
        window.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        if (!window.openFile(projectPath)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(projectPath));
            return 1;
        }
        window.view()->viewport()->repaint();
        QApplication::processEvents();
        opened.push_back(msSince(timer));

        timer.restart();
        const std::vector<project::FloorRoomSource> sources
            = project::floorRooms(*window.model(), window.results()->all(), QStringLiteral("1"));
        project::FloorDrawing floor;
        floor.rooms = project::drawFloorRooms(sources, calculator);
        drawn.push_back(msSince(timer));
        timer.restart();
        const QByteArray bytes = project::floorDxf(floor, 1000.0);
        dxf.push_back(msSince(timer));
        if (run == 0) {
            std::size_t loudspeakers = 0;
            for (const project::FloorRoom &room : floor.rooms)
                loudspeakers += room.loudspeakers.size();
            std::printf("floor: %zu rooms, %zu loudspeakers, DXF %.1f MB\n", floor.rooms.size(), loudspeakers,
                        double(bytes.size()) / 1e6);
        }
        window.discardProject();
    }
    std::printf("opened in the window and shown: %.0f ms; floor drawn from the plans: %.0f ms; "
                "floor's DXF written: %.0f ms (medians of %d)\n",
                median(opened), median(drawn), median(dxf), runs);
    return 0;
}
