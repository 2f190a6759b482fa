// Speed of the "Объект" window with a generated project of 5 000 rooms on
// 200 lines: open, compute and show in the window; the level columns
// filled in by the background; save; the lines and the
// equipment list after a change; the documents as .xlsx and PDF; the peak
// memory; and --export of the program as a whole process (run by
// bench/project/run.sh with /usr/bin/time -v).
// Usage: bench_project <folder> [rooms [distinct]]; with "distinct" every
// room differs (3 .. 40 m, every mounting), as in a real building, instead
// of repeating a few sizes, and only the file is written (for run.sh's
// --export).
// Writes <folder>/object.lsplan and prints the figures.
#include "app/roomevaluation.h"
#include "project/documentwriters.h"
#include "project/linetable.h"
#include "project/projectcommands.h"
#include "project/projectdocument.h"
#include "project/projectfile.h"
#include "project/projectmodel.h"
#include "project/projectwindow.h"
#include "project/roomresults.h"
#include "project/roomtable.h"
#include "widgets/messenger.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTableView>
#include <QUndoStack>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

// A room of its own: 3 .. 40 m, 2.7 .. 6 m high, each mounting in turn with
// an arrangement that takes a count.
void makeDistinct(project::Room &room, int i, std::mt19937 &random)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * uniform(random); };
    struct Choice {
        const char *model;
        calc::Mounting mounting;
        const char *layout;
    };
    const Choice choices[] = {
        {"KE-1", calc::Mounting::Ceiling, "рядами"},
        {"GK-1", calc::Mounting::Wall, "на двух стенах"},
        {"RF-4", calc::Mounting::RoundHorn, "на одной стене"},
        {"RF-6", calc::Mounting::SquareHorn, "на двух стенах"},
        {"GK-2", calc::Mounting::Wall, "на одной стене"},
    };
    const Choice &c = choices[std::size_t(i) % std::size(choices)];
    const double length = between(3, 40);
    room.name = QStringLiteral("Помещение %1").arg(i + 1);
    room.inputs.model = QString::fromUtf8(c.model);
    room.inputs.mounting = c.mounting;
    room.inputs.length = QString::number(length, 'f', 2);
    room.inputs.width = QString::number(between(3, length), 'f', 2);
    room.inputs.height = QString::number(between(2.7, 6), 'f', 1);
    room.layout = QString::fromUtf8(c.layout);
}

// A building: floors of classrooms, offices, corridors, halls and
// stairwells whose sizes repeat from floor to floor, as plans do; or
// distinct rooms.
project::Project generated(int rooms, bool distinct)
{
    std::mt19937 random(20261209);
    struct Kind {
        const char *name;
        const char *model;
        calc::Mounting mounting;
        const char *roomType;
        const char *height;
        double length;
        double width;
    };
    const Kind kinds[] = {
        {"Класс", "KE-1", calc::Mounting::Ceiling, "МАГАЗИН", "3.2", 9, 6},
        {"Кабинет", "KE-2", calc::Mounting::Ceiling, "БОЛЬНИЦА", "3", 6, 4},
        {"Коридор", "GK-1", calc::Mounting::Wall, "СУПЕРМАРКЕТ", "3", 40, 3},
        {"Зал", "KE-3", calc::Mounting::Ceiling, "РЕСТОРАН", "4.5", 24, 18},
        {"Лестница", "LV-1", calc::Mounting::Wall, "АВТОСТОЯНКА", "3", 6, 3},
        {"Мастерская", "GK-3", calc::Mounting::Wall, "ТЯЖ ПРОМЫШ", "5", 30, 12},
        {"Склад", "GK-2", calc::Mounting::Ceiling, "АВТОСТОЯНКА", "6", 36, 24},
    };
    project::Project p;
    p.name = QStringLiteral("Сгенерированный объект");
    for (int l = 0; l < std::max(1, rooms / 25); ++l)
        p.lines.push_back(
            {QStringLiteral("Л%1").arg(l + 1), 100, 10, 40.0 + l % 9 * 20, l % 3 ? 0.75 : 1.5, 1, 25});
    for (int i = 0; i < rooms; ++i) {
        const Kind &k = kinds[std::size_t(i) % std::size(kinds)];
        // Ten variants of each size.
        const double stretch = 1.0 + 0.1 * double((i / int(std::size(kinds))) % 10);
        project::Room room;
        room.name = QStringLiteral("%1 %2").arg(QString::fromUtf8(k.name)).arg(i + 1);
        room.floor = QString::number(i / 100 + 1);
        room.line = QStringLiteral("Л%1").arg(i / 25 + 1);
        project::RoomInputs &in = room.inputs;
        in.model = QString::fromUtf8(k.model);
        in.mounting = k.mounting;
        in.tap = 1 + i % 3;
        in.directivity = in.verticalDirectivity = QStringLiteral("90");
        in.tilt = QStringLiteral("0");
        in.margin = QStringLiteral("10");
        in.listeningHeight = QStringLiteral("150");
        in.roomType = QString::fromUtf8(k.roomType);
        in.height = QString::fromUtf8(k.height);
        in.length = QString::number(k.length * stretch);
        in.width = QString::number(k.width);
        in.areaFromSides = true;
        room.layout = k.mounting == calc::Mounting::Ceiling ? QStringLiteral("рядами")
                                                            : QStringLiteral("на одной стене");
        if (distinct)
            makeDistinct(room, i, random);
        p.rooms.push_back(room);
    }
    return p;
}

class Silent : public Messenger {
public:
    void inform(const QString &text, const QString &) override
    {
        std::printf("message: %s\n", qPrintable(text));
    }
    Answer ask(const QString &, const QString &) override { return Answer::No; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_project <folder> [rooms [distinct]]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int rooms = argc > 2 ? std::atoi(argv[2]) : 5000;
    const bool distinct = argc > 3 && QString::fromLocal8Bit(argv[3]) == QStringLiteral("distinct");
    const QString path = QDir(folder).filePath(QStringLiteral("object.lsplan"));
    {
        const RoomEvaluation calculator;
        project::ProjectModel model;
        const project::RoomResultsService results(model, calculator, u'.');
        model.setProject(generated(rooms, distinct));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(results.fileBytes()) < 0)
            return 1;
    }
    // The distinct building is for the command line's --export alone
    // (run.sh times it): its window figures would take minutes a run.
    if (distinct) {
        std::printf("%d distinct rooms written to %s\n", rooms, qPrintable(path));
        return 0;
    }

    const RoomEvaluation calculator;
    Silent messenger;
    std::vector<double> opened, levelsFilled, distinctOnly, saved;
    for (int run = 0; run < 5; ++run) {
        project::ProjectWindow window(calculator, &messenger);
        window.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        if (!window.openFile(path))
            return 1;
        // Shown: the view lays out and paints its first rows.
        window.view()->viewport()->repaint();
        QApplication::processEvents();
        opened.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The level columns, filled in by the background while the window
        // stays usable.
        while (window.results()->levelsPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        levelsFilled.push_back(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        if (!window.saveTo(QDir(folder).filePath(QStringLiteral("saved.lsplan"))))
            return 1;
        saved.push_back(double(timer.nsecsElapsed()) / 1e6);
        window.discardProject();
    }
    // Every room computed, none taken from the rooms of equal inputs.
    {
        project::Project p = generated(rooms, false);
        QElapsedTimer timer;
        timer.start();
        for (const project::Room &room : p.rooms)
            (void)calculator.evaluate(room.inputs, room.layout);
        distinctOnly.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // The lines and the equipment list after a change of a line, as the
    // window recomputes them; then the documents.
    std::vector<double> lineChange, xlsxMs, pdfMs;
    int pdfPages = 0;
    {
        project::ProjectWindow window(calculator, &messenger);
        if (!window.openFile(path))
            return 1;
        window.results()->completeLevels();
        for (int run = 0; run < 5; ++run) {
            project::Line changed = window.model()->project().lines[std::size_t(run)];
            changed.section = changed.section == 0.75 ? 1.0 : 0.75;
            QElapsedTimer timer;
            timer.start();
            window.undoStack()->push(new project::EditLineCommand(*window.model(), run, changed));
            lineChange.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            const project::Document document
                = project::projectDocument(*window.results(), window.displayName(), QDate::currentDate());
            const project::DocumentBytes xlsx = project::xlsxBytes(document);
            xlsxMs.push_back(double(timer.nsecsElapsed()) / 1e6);
            timer.restart();
            const project::Document again
                = project::projectDocument(*window.results(), window.displayName(), QDate::currentDate());
            const project::DocumentBytes pdf = project::pdfBytes(again, u',');
            pdfMs.push_back(double(timer.nsecsElapsed()) / 1e6);
            if (!xlsx.ok || !pdf.ok)
                return 1;
            pdfPages = int(pdf.bytes.count("/Type /Page\n"));
            if (run == 0) {
                project::writeDocumentFile(QDir(folder).filePath(QStringLiteral("object.xlsx")), xlsx);
                project::writeDocumentFile(QDir(folder).filePath(QStringLiteral("object.pdf")), pdf);
            }
        }
        window.discardProject();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("rooms: %d\n", rooms);
    std::printf("open + compute + show: %.1f ms (median of 5)\n", median(opened));
    std::printf("level columns filled in after opening: %.1f ms (median of 5)\n", median(levelsFilled));
    std::printf("save: %.1f ms (median of 5)\n", median(saved));
    std::printf("every room computed one by one on one core, no reuse: %.1f ms\n", distinctOnly.front());
    std::printf("lines and equipment list after a change of a line: %.2f ms (median of 5; goal <= 50 ms)\n",
                median(lineChange));
    std::printf("xlsx of rooms, lines and equipment: %.1f ms (median of 3; goal <= 1000 ms)\n",
                median(xlsxMs));
    std::printf("pdf: %.1f ms, %d pages (median of 3; goal <= 5000 ms)\n", median(pdfMs), pdfPages);
    std::printf("peak memory: %.1f MB (goal < 150 MB)\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
