// Renders the plan window with an example calculation into a PNG.
// Usage: screenshot_plan <file.png>
//            [ceiling|wall|roundhorn|squarehorn|behind|narrow|hall|hornhall|corridor|roundhall|turned|none]
//            [C|ru] [zones|level|fit|sti-dry|sti-reverberant]
// The default is the ceiling example: a 30 x 12 m room, discs of 3 m,
// 13 loudspeakers in rows 3 m above the listening plane, with "." as the
// decimal separator, showing the zones. "hornhall" is a 24 x 12 m hall with
// six square horns on two walls; "corridor" an L-shaped corridor (60 x 3 m
// with a 30 x 3 m leg) with ceiling loudspeakers without gaps; "roundhall"
// a 40 x 20 m hall with a half-round end (30 x 20 m and a half-disc of
// 10 m) with wall loudspeakers on two walls; "turned" a 20 x 8 m room turned
// by 30 degrees with ceiling loudspeakers edge to edge; "level" shows the level of
// the sound; "fit" the level of the sound after "Подобрать по уровню"; "sti-dry" the speech intelligibility
// under an acoustic ceiling over carpet, "sti-reverberant" in concrete all round (the room 1.5 m higher than
// the loudspeakers above the plane, 55 dB(A) of noise).
#include "bench/plan/benchshapes.h"
#include "calc/calcstate.h"
#include "plan/planwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

plan::PlanFigures example(const char *name)
{
    plan::PlanFigures f;
    f.model = QStringLiteral("ПРОЧИЕ");
    f.splTotal = 95;
    if (std::strcmp(name, "wall") == 0) {
        f.mounting = calc::Mounting::Wall;
        f.mountingWord = QStringLiteral("Настенный");
        f.roomL = 20;
        f.roomW = 10;
        f.range = 8;
        f.dirDeg = 120;
        f.dirRad = calc::degreesToRadians(f.dirDeg);
        f.dropH = 1.5;
        f.coverS = 68;
        f.count = 6;
    } else if (std::strcmp(name, "roundhorn") == 0 || std::strcmp(name, "squarehorn") == 0
               || std::strcmp(name, "behind") == 0) {
        const bool round = std::strcmp(name, "roundhorn") == 0;
        f.mounting = round ? calc::Mounting::RoundHorn : calc::Mounting::SquareHorn;
        f.mountingWord = QStringLiteral("Рупорный");
        f.roomL = 6;
        f.roomW = 6;
        f.range = 6;
        f.dirRad = calc::degreesToRadians(40);
        f.dropH = 1.5;
        f.nearSlant = 1.9582;
        f.farSlant = 6;
        f.edgeDeg = std::strcmp(name, "behind") == 0 ? 95 : 50;
        f.farHalfW = 2.1838;
        const double c = std::cos(f.dirRad / 2.0);
        f.nearSide = std::min(f.nearSlant / c, f.range);
        f.farSide = std::min(f.farSlant / c, f.range);
        f.coverS = 8;
        f.count = 5;
    } else if (std::strcmp(name, "hornhall") == 0) {
        f.mounting = calc::Mounting::SquareHorn;
        f.mountingWord = QStringLiteral("Рупорный");
        f.roomL = 24;
        f.roomW = 12;
        f.splTotal = 105;
        f.dirDeg = 60;
        f.vDirDeg = 40;
        f.tiltDeg = 20;
        f.dirRad = calc::degreesToRadians(f.dirDeg);
        f.dropH = 3.5;
        f.requiredLevel = 85;
        f.range = 12;
        f.count = 6;
    } else if (std::strcmp(name, "corridor") == 0) {
        f.mountingWord = QStringLiteral("Потолочный");
        f.shape = benchshapes::corridor();
        f.roomL = 60;
        f.roomW = 30;
        f.radius = 3;
        f.dirDeg = 90;
        f.dropH = 3;
        f.requiredLevel = 80;
        f.range = 6;
        f.coverS = 29;
        f.count = 12;
    } else if (std::strcmp(name, "roundhall") == 0) {
        f.mounting = calc::Mounting::Wall;
        f.mountingWord = QStringLiteral("Настенный");
        f.shape = benchshapes::roundHall();
        f.roomL = 40;
        f.roomW = 20;
        f.range = 12;
        f.dirDeg = 120;
        f.dirRad = calc::degreesToRadians(f.dirDeg);
        f.tiltDeg = 10;
        f.dropH = 2;
        f.requiredLevel = 75;
        f.coverS = 150;
        f.count = 8;
    } else if (std::strcmp(name, "turned") == 0) {
        // A 20 x 8 m room turned by 30 degrees, ceiling loudspeakers edge
        // to edge.
        f.mountingWord = QStringLiteral("Потолочный");
        const QPointF u(std::cos(M_PI / 6.0), std::sin(M_PI / 6.0));
        const QPointF v(-u.y(), u.x());
        const QPointF o(100, 50);
        f.shape = calc::Shape::fromOutline({o, o + 20 * u, o + 20 * u + 8 * v, o + 8 * v});
        f.roomL = 20;
        f.roomW = 8;
        f.radius = 2.5;
        f.dirDeg = 90;
        f.dropH = 3;
        f.range = 6;
        f.count = 8;
    } else if (std::strcmp(name, "narrow") == 0) {
        f.mountingWord = QStringLiteral("Потолочный");
        f.roomL = 1000;
        f.roomW = 0.5;
        f.radius = 1;
        f.range = 3;
        f.coverS = 4;
        f.count = 10;
    } else if (std::strcmp(name, "hall") == 0) {
        f.mountingWord = QStringLiteral("Потолочный");
        f.roomL = 200;
        f.roomW = 100;
        f.radius = 1;
        f.range = 3;
        f.coverS = 4;
        f.count = 6367;
    } else {
        f.mountingWord = QStringLiteral("Потолочный");
        f.roomL = 30;
        f.roomW = 12;
        f.radius = 3;
        f.dirDeg = 90;
        f.dropH = 3;
        f.requiredLevel = 80;
        f.range = 6;
        f.coverS = 29;
        f.count = 13;
    }
    f.roomArea = f.shape.isEmpty() ? f.roomL * f.roomW : f.shape.area();
    f.roomHeight = f.dropH + 1.5;
    f.noise = 55;
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: screenshot_plan <file.png> [example] [C|ru] "
                     "[zones|level|fit|sti-dry|sti-reverberant]\n");
        return 2;
    }
    const char *name = argc > 2 ? argv[2] : "ceiling";
    const bool russian = argc > 3 && std::strcmp(argv[3], "ru") == 0;
    const bool fit = argc > 4 && std::strcmp(argv[4], "fit") == 0;
    const bool level = fit || (argc > 4 && std::strcmp(argv[4], "level") == 0);
    const bool dry = argc > 4 && std::strcmp(argv[4], "sti-dry") == 0;
    const bool reverberant = argc > 4 && std::strcmp(argv[4], "sti-reverberant") == 0;
    QLocale::setDefault(russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
    plan::PlanFigures figures = example(name);
    figures.decimalPoint = QLocale().decimalPoint().front();

    plan::PlanWindow window(nullptr);
    if (std::strcmp(name, "none") != 0)
        window.showCalculation(figures);
    if (std::strcmp(name, "wall") == 0)
        window.arrangementBox()->setCurrentIndex(1);
    if (std::strcmp(name, "hall") == 0)
        window.arrangementBox()->setCurrentIndex(3);
    if (std::strcmp(name, "hornhall") == 0 || std::strcmp(name, "roundhall") == 0)
        window.arrangementBox()->setCurrentIndex(1);
    if (std::strcmp(name, "corridor") == 0)
        window.arrangementBox()->setCurrentIndex(1);
    if (std::strcmp(name, "turned") == 0)
        window.arrangementBox()->setCurrentIndex(2);
    if (level)
        window.viewBox()->setCurrentIndex(1);
    if (dry) {
        window.floorBox()->setCurrentText(QStringLiteral("ковролин"));
        window.ceilingBox()->setCurrentText(QStringLiteral("акустический потолок"));
    }
    if (reverberant) {
        for (QComboBox *box : {window.floorBox(), window.wallsBox(), window.ceilingBox()})
            box->setCurrentText(QStringLiteral("бетон"));
    }
    if (dry || reverberant)
        window.viewBox()->setCurrentIndex(2);
    window.resize(1100, 680);
    window.show();
    if (fit)
        window.fitButton()->click();
    // The fit and the map come from other threads; the picture waits for them.
    const QDeadlineTimer deadline(60000);
    do {
        QApplication::processEvents();
        QThread::msleep(5);
    } while ((window.fitting() || (window.scene() && window.scene()->levelPending()))
             && !deadline.hasExpired());
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
