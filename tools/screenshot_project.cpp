// Renders the "Объект" window with a school of 15 rooms on six lines into
// PNGs, one per tab, and writes its documents as a PDF.
// Usage: screenshot_project <rooms.png> [<lines.png> <equipment.png> <document.pdf>
//                                        [<fit.png> <intelligibility.png>]]
// fit.png: the rooms after "Подобрать по уровню" on the selected room, the
// table scrolled to the fitted counts and the verdicts; intelligibility.png:
// scrolled to the surfaces and the STI.
// The decimal separator is the locale's (LANG=ru_RU.UTF-8 for a comma).
#include "app/roomevaluation.h"
#include "project/documentwriters.h"
#include "project/projectdocument.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/roomtable.h"
#include "widgets/messenger.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QPixmap>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Example {
    const char *name;
    const char *floor;
    const char *line;
    const char *model;
    calc::Mounting mounting;
    int tap;
    const char *roomType;
    const char *noise;
    const char *height;
    const char *length;
    const char *width;
    const char *tilt;
};

project::Project school()
{
    using M = calc::Mounting;
    const Example rooms[] = {
        {"Вестибюль", "1", "Л1", "KE-3", M::Ceiling, 2, "СУПЕРМАРКЕТ", "", "4", "18", "12", "0"},
        {"Гардероб", "1", "Л1", "KE-1", M::Ceiling, 1, "МАГАЗИН", "", "3", "10", "6", "0"},
        {"Коридор 1 этажа", "1", "Л1", "GK-1", M::Wall, 1, "СУПЕРМАРКЕТ", "", "3", "42", "3", "0"},
        {"Столовая", "1", "Л2", "KE-3", M::Ceiling, 1, "РЕСТОРАН", "", "3.5", "24", "15", "0"},
        {"Кухня", "1", "Л2", "GK-3", M::Wall, 2, "Кухня", "78", "3.5", "12", "8", "0"},
        {"Спортзал", "1", "Л3", "RF-3", M::RoundHorn, 1, "СПОРТЗАЛ", "", "3", "30", "18", "30"},
        {"Актовый зал", "2", "Л3", "GK-2", M::Ceiling, 2, "ТЕАТР", "", "5", "24", "16", "0"},
        {"Коридор 2 этажа", "2", "Л4", "GK-1", M::Wall, 1, "СУПЕРМАРКЕТ", "", "3", "42", "3", "0"},
        {"Класс 201", "2", "Л4", "KE-1", M::Ceiling, 3, "МАГАЗИН", "", "3.2", "9", "6", "0"},
        {"Класс 202", "2", "Л4", "KE-1", M::Ceiling, 3, "МАГАЗИН", "", "3.2", "9", "6", "0"},
        {"Класс 203", "2", "Л4", "KE-1", M::Ceiling, 3, "МАГАЗИН", "", "3.2", "9", "6.5", "0"},
        {"Библиотека", "2", "Л4", "KE-2", M::Ceiling, 2, "БОЛЬНИЦА", "", "3.2", "12", "9", "0"},
        {"Мастерская", "3", "Л5", "LV-4", M::Wall, 1, "ТЯЖ ПРОМЫШ", "", "4", "15", "9", "0"},
        {"Лестница", "1-3", "Л5", "LV-1", M::Wall, 1, "АВТОСТОЯНКА", "", "9", "6", "3", "0"},
        {"Двор", "", "Л6", "RF-6", M::SquareHorn, 1, "ПАРК", "", "6", "60", "", "20"},
    };
    project::Project p;
    p.name = QStringLiteral("Школа № 5");
    p.lines = {
        {QStringLiteral("Л1"), 100, 5, 60, 0.75, 1, 25},   {QStringLiteral("Л2"), 100, 20, 70, 0.75, 1, 25},
        {QStringLiteral("Л3"), 100, 30, 90, 1.5, 1, 25},   {QStringLiteral("Л4"), 70, 10, 120, 0.5, 1, 25},
        {QStringLiteral("Л5"), 100, 40, 160, 0.75, 1, 25}, {QStringLiteral("Л6"), 100, 60, 180, 2.5, 1, 30}};
    for (const Example &e : rooms) {
        project::Room room;
        room.name = QString::fromUtf8(e.name);
        room.floor = QString::fromUtf8(e.floor);
        room.line = QString::fromUtf8(e.line);
        project::RoomInputs &in = room.inputs;
        in.model = QString::fromUtf8(e.model);
        in.mounting = e.mounting;
        in.tap = e.tap;
        in.directivity = in.verticalDirectivity = QStringLiteral("90");
        in.tilt = QString::fromUtf8(e.tilt);
        in.margin = QStringLiteral("10");
        in.listeningHeight = QStringLiteral("150");
        in.roomType = QString::fromUtf8(e.roomType);
        in.noise = QString::fromUtf8(e.noise);
        in.height = QString::fromUtf8(e.height);
        in.length = QString::fromUtf8(e.length);
        in.width = QString::fromUtf8(e.width);
        in.areaFromSides = true;
        room.layout = e.mounting == M::Ceiling ? QStringLiteral("рядами") : QStringLiteral("на одной стене");
        p.rooms.push_back(room);
    }
    // A hall and a dining room finished for speech, a gym of bare concrete
    // whose time was measured.
    p.rooms[6].floorSurface = QStringLiteral("ковролин");
    p.rooms[6].ceilingSurface = QStringLiteral("акустический потолок");
    p.rooms[3].ceilingSurface = QStringLiteral("перфорированный гипсокартон");
    p.rooms[5].floorSurface = p.rooms[5].wallsSurface = p.rooms[5].ceilingSurface = QStringLiteral("бетон");
    p.rooms[5].reverberation = QStringLiteral("2.4");
    return p;
}

class Printing : public Messenger {
public:
    void inform(const QString &text, const QString &) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    Answer ask(const QString &, const QString &) override { return Answer::No; }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshot_project <file.png>\n");
        return 2;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Школа.lsplan"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(project::projectBytes(school(), {})) < 0)
        return 1;
    file.close();

    const RoomEvaluation calculator;
    Printing messenger;
    project::ProjectWindow window(calculator, &messenger);
    window.resize(2300, 480);
    window.show();
    if (!window.openFile(path))
        return 1;
    // The level columns as they are once the background has filled them.
    window.results()->completeLevels();
    window.view()->selectRow(5);
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc < 5)
        return 0;
    window.resize(1700, 420);
    window.tabs()->setCurrentIndex(1);
    window.lineView()->selectRow(3);
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2])))
        return 1;
    window.resize(900, 480);
    window.tabs()->setCurrentIndex(2);
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[3])))
        return 1;
    const project::Document document
        = project::projectDocument(*window.results(), window.displayName(), QDate(2025, 3, 14));
    if (!project::writePdfFile(QString::fromLocal8Bit(argv[4]), document, window.results()->decimalPoint())
             .ok)
        return 1;
    if (argc < 7)
        return 0;
    window.resize(2300, 480);
    window.tabs()->setCurrentIndex(0);
    window.view()->selectRow(5);
    window.fitByLevel();
    window.results()->completeLevels();
    const auto scrollToColumn = [&window](const QString &caption) {
        const auto &columns = project::roomColumns();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].caption == caption)
                window.view()->scrollTo(window.view()->model()->index(5, int(c)));
        }
        QApplication::processEvents();
    };
    scrollToColumn(QStringLiteral("Проверка"));
    if (!window.grab().save(QString::fromLocal8Bit(argv[5])))
        return 1;
    scrollToColumn(QStringLiteral("Замечание"));
    return window.grab().save(QString::fromLocal8Bit(argv[6])) ? 0 : 1;
}
