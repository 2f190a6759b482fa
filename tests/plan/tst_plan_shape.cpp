// The plan of a room of any shape: the rectangle given as an outline gives
// the rectangle's figures exactly; every layout in an L, a U, a turned
// rectangle and a triangle keeps its loudspeakers on the floor, the grid
// without gaps covers the whole floor, wall loudspeakers hang on the named
// edges facing into the room; the level map counts the floor's cells only;
// the DXF of a turned room lies on its floor's coordinates.

#include "dxfdrawing.h"
#include "plan/dxfexport.h"
#include "plan/floorcoverage.h"
#include "plan/layout.h"
#include "plan/levelmap.h"
#include "plan/plandrawing.h"
#include "plan/planexport.h"
#include "plan/planscene.h"

#include <QTest>
#include <cmath>

using namespace plan;

namespace {

constexpr double Pi = 3.14159265358979323846;

// The figures of a loudspeaker of each mounting in a room length x width.
PlanFigures figuresFor(calc::Mounting mounting, double length, double width)
{
    PlanFigures f;
    f.mounting = mounting;
    f.roomL = length;
    f.roomW = width;
    f.roomArea = length * width;
    f.splTotal = 92;
    f.dropH = 2.5;
    f.dirDeg = 90;
    f.vDirDeg = 60;
    f.tiltDeg = 15;
    f.requiredLevel = 75;
    f.radius = 2.2;
    f.count = 7;
    f.range = 7.5;
    f.dirRad = 1.4;
    f.nearSlant = 3.0;
    f.farSlant = 9.0;
    f.edgeDeg = 70;
    f.farHalfW = 6;
    f.nearSide = 2;
    f.farSide = 7;
    return f;
}

std::vector<QPointF> corners(std::initializer_list<QPointF> points)
{
    return std::vector<QPointF>(points);
}

// A rectangle length x width turned by angle degrees about corner.
std::vector<QPointF> turnedRectangle(QPointF corner, double length, double width, double angle)
{
    const QPointF u(std::cos(angle * Pi / 180.0), std::sin(angle * Pi / 180.0));
    const QPointF v(-u.y(), u.x());
    return {corner, corner + length * u, corner + length * u + width * v, corner + width * v};
}

const QPointF TurnCorner(100, 50);

calc::Shape shapeNamed(const QString &name)
{
    if (name == QLatin1String("L"))
        return calc::Shape::fromOutline(corners({{0, 0}, {60, 0}, {60, 3}, {3, 3}, {3, 30}, {0, 30}}));
    if (name == QLatin1String("U"))
        return calc::Shape::fromOutline(
            corners({{0, 0}, {10, 0}, {10, 8}, {7, 8}, {7, 3}, {3, 3}, {3, 8}, {0, 8}}));
    if (name == QLatin1String("triangle"))
        return calc::Shape::fromOutline(corners({{0, 0}, {20, 0}, {0, 10}}));
    return calc::Shape::fromOutline(turnedRectangle(TurnCorner, 20, 8, 30));
}

bool exactlySame(const Placement &a, const Placement &b)
{
    return a.position.x() == b.position.x() && a.position.y() == b.position.y() && a.side == b.side
        && a.normal.x() == b.normal.x() && a.normal.y() == b.normal.y();
}

double distanceToSegment(QPointF p, QLineF segment)
{
    const QPointF d = segment.p2() - segment.p1();
    const double t
        = std::clamp(QPointF::dotProduct(p - segment.p1(), d) / QPointF::dotProduct(d, d), 0.0, 1.0);
    const QPointF q = segment.p1() + t * d;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

// The directivity of a single-angle loudspeaker on a wall facing normal,
// tilted down, toward a point of the plane: from the angle between its
// axis and the direction to the point, worked out in space. Degrees become
// radians as the calculation turns them (with its own pi).
double wallDirectivity(const PlanFigures &f, QPointF at, QPointF normal, QPointF point)
{
    // Under the ceiling (no normal) the axis points straight down.
    const double tilt = normal.isNull() ? Pi / 2.0 : calc::degreesToRadians(f.tiltDeg);
    const double axis[3] = {normal.x() * std::cos(tilt), normal.y() * std::cos(tilt), -std::sin(tilt)};
    const double to[3] = {point.x() - at.x(), point.y() - at.y(), -f.dropH};
    const double r = std::sqrt(to[0] * to[0] + to[1] * to[1] + to[2] * to[2]);
    const double c = (axis[0] * to[0] + axis[1] * to[1] + axis[2] * to[2]) / r;
    if (c <= 0.0)
        return -40.0;
    const double n = std::log10(0.5) / std::log10(std::cos(calc::degreesToRadians(f.dirDeg / 2.0)));
    return std::max(-40.0, 20.0 * n * std::log10(c));
}

} // namespace

class TestPlanShape : public QObject {
    Q_OBJECT

private slots:
    void rectangleAsOutline_data();
    void rectangleAsOutline();
    void layoutsInShapes_data();
    void layoutsInShapes();
    void levelMapOnTheFloor_data();
    void levelMapOnTheFloor();
    void dxfOfTurnedRoom();
    void drawingTintsTheFloorOnly_data();
    void drawingTintsTheFloorOnly();
    void gridMissingTheFloor();
    void rectangleOutlineCountsAsCells_data();
    void rectangleOutlineCountsAsCells();
};

void TestPlanShape::rectangleAsOutline_data()
{
    QTest::addColumn<int>("mounting");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    const calc::Mounting mountings[] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                        calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    const double lengths[] = {1.0, 6.0, 12.5, 31.7, 64.0};
    const double shares[] = {1.0, 0.61, 0.27, 0.04};
    for (const calc::Mounting mounting : mountings) {
        for (const double length : lengths) {
            for (const double share : shares) {
                const double width = length * share;
                QTest::addRow("%s %g x %g", qPrintable(calc::mountingWord(mounting)), length, width)
                    << int(mounting) << length << width;
            }
        }
    }
}

// The rectangle given as its four corners (from the far corner on) goes
// the way of any outline and must give the rectangle's figures exactly.
void TestPlanShape::rectangleAsOutline()
{
    QFETCH(int, mounting);
    QFETCH(double, length);
    QFETCH(double, width);
    const PlanFigures rectangle = figuresFor(calc::Mounting(mounting), length, width);
    PlanFigures outlined = rectangle;
    outlined.shape = calc::Shape::fromOutline(corners({{length, width}, {0, width}, {0, 0}, {length, 0}}));
    QVERIFY(!outlined.shape.isPlainRectangle());
    for (const Arrangement arrangement : arrangementsFor(rectangle.mounting)) {
        const QByteArray name = arrangementName(arrangement).toUtf8();
        const PlanScene a = buildScene(rectangle, arrangement, rectangle.count);
        const PlanScene b = buildScene(outlined, arrangement, rectangle.count);
        QVERIFY2(!a.layout.placements.empty(), name.constData());
        QCOMPARE(b.layout.placements.size(), a.layout.placements.size());
        for (std::size_t i = 0; i < a.layout.placements.size(); ++i)
            QVERIFY2(exactlySame(a.layout.placements[i], b.layout.placements[i]), name.constData());
        QCOMPARE(b.layout.pitch, a.layout.pitch);
        QCOMPARE(b.layout.needed.count, a.layout.needed.count);
        QCOMPARE(b.coverage.grid.columns, a.coverage.grid.columns);
        QCOMPARE(b.coverage.grid.rows, a.coverage.grid.rows);
        QCOMPARE(b.coverage.coveredCells, a.coverage.coveredCells);
        QVERIFY2(b.coverage.covered == a.coverage.covered, name.constData());
        QCOMPARE(b.coverage.percent(), a.coverage.percent());
        // The level map, the slowest part, for every arrangement of one
        // size and the first arrangement of the others.
        if (length != 6.0 && arrangement != arrangementsFor(rectangle.mounting).front())
            continue;
        const std::optional<LevelMap> mapA = levelMap(levelInputs(rectangle, a.layout.placements));
        const std::optional<LevelMap> mapB = levelMap(levelInputs(outlined, b.layout.placements));
        QVERIFY(mapA && mapB);
        QVERIFY2(mapA->levels == mapB->levels, name.constData());
        const LevelSummary sa = summarize(*mapA, rectangle.requiredLevel);
        const LevelSummary sb = summarize(*mapB, rectangle.requiredLevel);
        QCOMPARE(sb.lowest, sa.lowest);
        QCOMPARE(sb.highest, sa.highest);
        QCOMPARE(sb.requiredShare, sa.requiredShare);
        QCOMPARE(sb.tooLoudShare, sa.tooLoudShare);
        QCOMPARE(contourSegments(*mapB, rectangle.requiredLevel).size(),
                 contourSegments(*mapA, rectangle.requiredLevel).size());
    }
}

void TestPlanShape::layoutsInShapes_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("mounting");
    QTest::addColumn<int>("arrangement");
    // The walls: the first edge and the edge facing it, on the floor.
    QTest::addColumn<QLineF>("firstWall");
    QTest::addColumn<QLineF>("secondWall");
    const std::vector<QPointF> turned = turnedRectangle(TurnCorner, 20, 8, 30);
    const struct {
        const char *shape;
        QLineF first;
        QLineF second;
    } shapes[] = {
        {"L", QLineF(0, 0, 60, 0), QLineF(60, 3, 3, 3)},
        {"U", QLineF(0, 0, 10, 0), QLineF(7, 3, 3, 3)},
        {"turned", QLineF(turned[0], turned[1]), QLineF(turned[2], turned[3])},
        {"triangle", QLineF(20, 0, 0, 10), QLineF(0, 0, 20, 0)},
    };
    for (const auto &s : shapes) {
        for (const calc::Mounting mounting : {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                              calc::Mounting::RoundHorn, calc::Mounting::SquareHorn}) {
            for (const Arrangement arrangement : arrangementsFor(mounting)) {
                QTest::addRow("%s, %s, %s", s.shape, qPrintable(calc::mountingWord(mounting)),
                              qPrintable(arrangementName(arrangement)))
                    << QString::fromLatin1(s.shape) << int(mounting) << int(arrangement) << s.first
                    << s.second;
            }
        }
    }
}

void TestPlanShape::layoutsInShapes()
{
    QFETCH(QString, shape);
    QFETCH(int, mounting);
    QFETCH(int, arrangement);
    QFETCH(QLineF, firstWall);
    QFETCH(QLineF, secondWall);
    PlanFigures f = figuresFor(calc::Mounting(mounting), 1, 1);
    f.shape = shapeNamed(shape);
    f.roomArea = f.shape.area();
    const PlanScene scene = buildScene(f, Arrangement(arrangement), f.count);
    const std::vector<Placement> &placements = scene.layout.placements;

    for (const Placement &p : placements) {
        QVERIFY2(f.shape.contains(p.position) || f.shape.distanceToOutline(p.position) < 1e-9,
                 qPrintable(QStringLiteral("%1; %2").arg(p.position.x()).arg(p.position.y())));
    }
    QVERIFY(scene.coverage.shaped);
    QCOMPARE(scene.coverage.floorCells,
             qint64(std::count(scene.coverage.covered.begin(), scene.coverage.covered.end(), quint8(0)))
                 + scene.coverage.coveredCells);
    // The floor's cells make up its area to within a row of cells round it.
    const CellGrid &grid = scene.coverage.grid;
    const double cellArea = grid.cellWidth * grid.cellHeight;
    QVERIFY(std::abs(double(scene.coverage.floorCells) * cellArea - f.shape.area())
            < f.shape.perimeter() * std::max(grid.cellWidth, grid.cellHeight));

    switch (Arrangement(arrangement)) {
    case Arrangement::Rows: {
        QCOMPARE(int(placements.size()), int(f.count));
        // Each loudspeaker stays where the rows over the axes' rectangle
        // put it, or was moved onto the floor at least the clearance from
        // its walls (every one of these rooms is at least 3 m across).
        const calc::Axes &axes = f.shape.axes();
        const std::vector<Placement> rows = rowsLayout(axes.length, axes.width, int(f.count));
        int moved = 0;
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const QPointF planned = axes.toFloor(rows[i].position);
            const QPointF at = placements[i].position;
            if (std::hypot(at.x() - planned.x(), at.y() - planned.y()) < 1e-9)
                continue;
            ++moved;
            QVERIFY(!f.shape.contains(planned));
            QVERIFY(f.shape.contains(at));
            QVERIFY2(f.shape.distanceToOutline(at) >= InsideClearance - 1e-9,
                     qPrintable(QString::number(f.shape.distanceToOutline(at))));
        }
        // The L's and the U's rows fall partly off their floors.
        if (shape == QLatin1String("L") || shape == QLatin1String("U"))
            QVERIFY(moved > 0);
        break;
    }
    case Arrangement::NoGaps:
        QVERIFY(!placements.empty());
        QCOMPARE(scene.coverage.coveredCells, scene.coverage.floorCells);
        QCOMPARE(scene.coverage.percent(), 100.0);
        QCOMPARE(scene.layout.needed.count, double(placements.size()));
        break;
    case Arrangement::EdgeToEdge:
    case Arrangement::FullOverlap:
        // A grid whose points all miss a narrow floor says so.
        if (placements.empty())
            QCOMPARE(scene.limitNote(),
                     QStringLiteral("Ни один узел сетки расстановки «%1» не попадает в "
                                    "контур помещения; план не построен")
                         .arg(arrangementName(Arrangement(arrangement))));
        break;
    case Arrangement::OneWall:
    case Arrangement::TwoWalls: {
        QCOMPARE(int(placements.size()), int(f.count));
        const bool two = Arrangement(arrangement) == Arrangement::TwoWalls;
        const int onFirst = two ? (int(f.count) + 1) / 2 : int(f.count);
        for (int i = 0; i < int(placements.size()); ++i) {
            const QLineF wall = i < onFirst ? firstWall : secondWall;
            // The room lies left of the wall as the outline runs: the
            // inward normal is the wall's direction turned by +90 degrees.
            const QPointF d = (wall.p2() - wall.p1()) / wall.length();
            const QPointF inward(-d.y(), d.x());
            const Placement &p = placements[std::size_t(i)];
            QVERIFY2(distanceToSegment(p.position, wall) < 1e-9, qPrintable(QString::number(i)));
            QVERIFY(std::abs(p.facing().x() - inward.x()) < 1e-12);
            QVERIFY(std::abs(p.facing().y() - inward.y()) < 1e-12);
            QVERIFY(p.side != Side::Ceiling);
            // Spread evenly: (k + 1/2) of the wall's length over the count.
            const int k = i < onFirst ? i : i - onFirst;
            const int n = i < onFirst ? onFirst : int(f.count) - onFirst;
            const double along = QLineF(wall.p1(), p.position).length() / wall.length();
            const double expected = (k + 0.5) / n;
            QVERIFY2(std::abs(along - expected) < 1e-9 || std::abs(along - (1.0 - expected)) < 1e-9,
                     qPrintable(QString::number(along)));
        }
        break;
    }
    }
}

void TestPlanShape::levelMapOnTheFloor_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("arrangement");
    QTest::newRow("U, rows") << QStringLiteral("U") << int(Arrangement::Rows);
    QTest::newRow("L, one wall") << QStringLiteral("L") << int(Arrangement::OneWall);
    QTest::newRow("triangle, two walls") << QStringLiteral("triangle") << int(Arrangement::TwoWalls);
    QTest::newRow("turned, two walls") << QStringLiteral("turned") << int(Arrangement::TwoWalls);
}

// The map's cells of the floor against the full sum of every loudspeaker
// worked out in space; cells off the floor have no level and no part in
// the figures.
void TestPlanShape::levelMapOnTheFloor()
{
    QFETCH(QString, shape);
    QFETCH(int, arrangement);
    const bool wall = Arrangement(arrangement) != Arrangement::Rows;
    PlanFigures f = figuresFor(wall ? calc::Mounting::Wall : calc::Mounting::Ceiling, 1, 1);
    f.shape = shapeNamed(shape);
    const PlanScene scene = buildScene(f, Arrangement(arrangement), f.count);
    const std::optional<LevelMap> map = levelMap(levelInputs(f, scene.layout.placements));
    QVERIFY(map);
    QVERIFY(map->shaped);
    const CellGrid &grid = map->grid;
    double lowest = 1e9;
    double highest = -1e9;
    qint64 floorCells = 0;
    qint64 loudEnough = 0;
    double worst = 0.0;
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const QPointF onFloor = map->axes.toFloor(map->cellCentre(column, row));
            const bool inside = f.shape.contains(onFloor);
            const double level = map->at(column, row);
            if (!inside && f.shape.distanceToOutline(onFloor) > 1e-6) {
                QVERIFY(std::isnan(level));
                continue;
            }
            if (std::isnan(level))
                continue; // a centre on the outline itself, either way
            ++floorCells;
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
            loudEnough += level >= f.requiredLevel ? 1 : 0;
            // Every tenth row and column against the sum in space.
            if (row % 10 || column % 10)
                continue;
            double power = 0.0;
            for (const Placement &p : scene.layout.placements) {
                const double dx = onFloor.x() - p.position.x();
                const double dy = onFloor.y() - p.position.y();
                const double r2 = dx * dx + dy * dy + f.dropH * f.dropH;
                const double d = wallDirectivity(f, p.position, p.facing(), onFloor);
                power += std::pow(10.0, d / 10.0) / std::max(r2, 1.0);
            }
            worst = std::max(worst, std::abs(level - (f.splTotal + 10.0 * std::log10(power))));
        }
    }
    QVERIFY2(worst <= LevelMapTolerance + 1e-9, qPrintable(QString::number(worst)));
    const LevelSummary summary = summarize(*map, f.requiredLevel);
    QCOMPARE(summary.lowest, lowest);
    QCOMPARE(summary.highest, highest);
    QVERIFY(std::abs(summary.requiredShare - 100.0 * double(loudEnough) / double(floorCells)) < 1e-9);
    // The contour lines lie on the floor.
    for (const QLineF &line : contourSegments(*map, f.requiredLevel)) {
        QVERIFY(f.shape.contains(line.p1()) || f.shape.distanceToOutline(line.p1()) < 0.05);
        QVERIFY(f.shape.contains(line.p2()) || f.shape.distanceToOutline(line.p2()) < 0.05);
    }
}

// A turned room's DXF: the outline's corners in millimetres on the floor's
// coordinates, and the loudspeakers where the layout put them.
void TestPlanShape::dxfOfTurnedRoom()
{
    PlanFigures f = figuresFor(calc::Mounting::Wall, 1, 1);
    f.shape = shapeNamed(QStringLiteral("turned"));
    const PlanScene scene = buildScene(f, Arrangement::TwoWalls, f.count);
    DxfPlan plan;
    plan.shape = f.shape;
    plan.placements = scene.layout.placements;
    plan.zone = scene.zone;
    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(dxfBytes(plan));
    const std::vector<dxfdrawing::Record> room = drawing.on(dxf::RoomLayer, "LWPOLYLINE");
    QCOMPARE(int(room.size()), 1);
    const std::vector<double> xs = room.front().numbers(10);
    const std::vector<double> ys = room.front().numbers(20);
    const std::vector<QPointF> expected = turnedRectangle(TurnCorner, 20, 8, 30);
    QCOMPARE(xs.size(), expected.size());
    QCOMPARE(ys.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // The corners in the outline's own order, to the micrometre.
        QVERIFY(std::abs(xs[i] - expected[i].x() * 1000.0) <= 1e-3 + 1e-9);
        QVERIFY(std::abs(ys[i] - expected[i].y() * 1000.0) <= 1e-3 + 1e-9);
    }
    const std::vector<dxfdrawing::Record> marks = drawing.on(dxf::LoudspeakerLayer, "CIRCLE");
    QCOMPARE(marks.size(), plan.placements.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        QVERIFY(std::abs(marks[i].number(10) - plan.placements[i].position.x() * 1000.0) <= 1e-3 + 1e-9);
        QVERIFY(std::abs(marks[i].number(20) - plan.placements[i].position.y() * 1000.0) <= 1e-3 + 1e-9);
    }
    // Every zone's outline lies on the floor.
    for (const dxfdrawing::Record &zone : drawing.on(dxf::ZoneLayer, "LWPOLYLINE")) {
        const std::vector<double> zx = zone.numbers(10);
        const std::vector<double> zy = zone.numbers(20);
        for (std::size_t i = 0; i < zx.size(); ++i) {
            const QPointF p(zx[i] / 1000.0, zy[i] / 1000.0);
            QVERIFY(f.shape.contains(p) || f.shape.distanceToOutline(p) < 1e-5);
        }
    }
}

void TestPlanShape::drawingTintsTheFloorOnly_data()
{
    QTest::addColumn<QString>("shape");
    // A point of the floor far from every zone, and one outside the
    // outline but inside its bounds.
    QTest::addColumn<QPointF>("uncovered");
    QTest::addColumn<QPointF>("outside");
    QTest::newRow("U") << QStringLiteral("U") << QPointF(9.6, 7.6) << QPointF(5, 6);
    QTest::newRow("L") << QStringLiteral("L") << QPointF(59.6, 0.4) << QPointF(30, 15);
}

// The image of the plan: the uncovered floor tinted inside the outline,
// the bounds outside it left white.
void TestPlanShape::drawingTintsTheFloorOnly()
{
    QFETCH(QString, shape);
    QFETCH(QPointF, uncovered);
    QFETCH(QPointF, outside);
    PlanFigures f = figuresFor(calc::Mounting::Ceiling, 1, 1);
    f.shape = shapeNamed(shape);
    f.radius = 0.8;
    f.count = 1;
    PlanScene scene = buildScene(f, Arrangement::Rows, 1);
    QVERIFY(scene.coverage.coveredCells > 0);
    QVERIFY(scene.coverage.coveredCells < scene.coverage.floorCells);
    const QImage image = planImage(scene);
    QVERIFY(!image.isNull());
    const PlanFrame frame = planFrame(QRectF(QPointF(0, 0), image.size()), scene, image);
    QCOMPARE(frame.floor, f.shape.bounds());
    const auto pixel = [&](QPointF at) {
        const QPointF device(frame.room.left() + (at.x() - frame.floor.left()) * frame.scale,
                             frame.room.bottom() - (at.y() - frame.floor.top()) * frame.scale);
        return image.pixelColor(device.toPoint());
    };
    QCOMPARE(pixel(uncovered), UncoveredFloor);
    QCOMPARE(pixel(outside), QColor(Qt::white));
}

// Discs of 5 m edge to edge: a grid 10 m apart, every point of which
// misses the L's 3 m wide arms.
void TestPlanShape::gridMissingTheFloor()
{
    PlanFigures f = figuresFor(calc::Mounting::Ceiling, 1, 1);
    f.shape = shapeNamed(QStringLiteral("L"));
    f.radius = 5;
    const PlanScene scene = buildScene(f, Arrangement::EdgeToEdge, f.count);
    QVERIFY(scene.layout.placements.empty());
    QCOMPARE(scene.coverage.coveredCells, qint64(0));
    QCOMPARE(scene.limitNote(),
             QStringLiteral("Ни один узел сетки расстановки «край к краю» не попадает в "
                            "контур помещения; план не построен"));
}

// A rectangle given as an outline is counted without testing its cells: it
// must count exactly as the same floor with a fifth corner halfway along a
// side, which every cell is tested against.
void TestPlanShape::rectangleOutlineCountsAsCells_data()
{
    QTest::addColumn<int>("mounting");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    for (const double angle : {0.0, 30.0, -60.0, 90.0}) {
        QTest::addRow("ceiling %g", angle) << int(calc::Mounting::Ceiling) << angle << 23.0 << 9.0;
        QTest::addRow("wall %g", angle) << int(calc::Mounting::Wall) << angle << 14.0 << 17.0;
        QTest::addRow("horn %g", angle) << int(calc::Mounting::SquareHorn) << angle << 40.0 << 12.5;
    }
}

void TestPlanShape::rectangleOutlineCountsAsCells()
{
    QFETCH(int, mounting);
    QFETCH(double, angle);
    QFETCH(double, length);
    QFETCH(double, width);
    PlanFigures f = figuresFor(calc::Mounting(mounting), 1, 1);
    const std::vector<QPointF> four = turnedRectangle(TurnCorner, length, width, angle);
    std::vector<QPointF> five = four;
    five.insert(five.begin() + 1, (four[0] + four[1]) / 2.0);
    f.shape = calc::Shape::fromOutline(four);
    const PlanScene fast = buildScene(f, Arrangement::Rows, f.count);
    f.shape = calc::Shape::fromOutline(five);
    const PlanScene tested = buildScene(f, Arrangement::Rows, f.count);
    QVERIFY(fast.coverage.shaped);
    QCOMPARE(fast.coverage.grid.cells(), tested.coverage.grid.cells());
    QCOMPARE(fast.coverage.floorCells, tested.coverage.floorCells);
    QCOMPARE(fast.coverage.coveredCells, tested.coverage.coveredCells);
    QVERIFY(fast.coverage.covered == tested.coverage.covered);
}

QTEST_MAIN(TestPlanShape)
#include "tst_plan_shape.moc"
