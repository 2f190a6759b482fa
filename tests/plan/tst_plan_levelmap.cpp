// The level map of the direct sound: the worked example, one loudspeaker's
// directivity against the formulas worked out here with vectors, the map
// against the full sum for every mounting type and layout, the threads and
// cancellation, the inputs that give no map, the summary and its text, the
// contour lines and the colour scale.
#include "calc/calcstate.h"
#include "plan/layout.h"
#include "plan/levelfit.h"
#include "plan/levelmap.h"
#include "plan/levelscale.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

using namespace plan;

Q_DECLARE_METATYPE(plan::LevelInputs)
Q_DECLARE_METATYPE(plan::Placement)
Q_DECLARE_METATYPE(plan::Arrangement)

namespace {

// Vectors in space: X along the room, Y across it, Z up from the
// listening plane.
struct Vec {
    double x, y, z;
};

double dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec cross(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double norm(Vec a)
{
    return std::sqrt(dot(a, a));
}

bool isHorn(calc::Mounting mounting)
{
    return mounting == calc::Mounting::RoundHorn || mounting == calc::Mounting::SquareHorn;
}

// The axis of a loudspeaker: down from the ceiling; from a wall into the
// room, tilted down.
Vec axisOf(Side side, double tiltDeg)
{
    const double t = calc::degreesToRadians(tiltDeg);
    switch (side) {
    case Side::Ceiling: return {0, 0, -1};
    case Side::NearWall: return {0, std::cos(t), -std::sin(t)};
    case Side::FarWall: return {0, -std::cos(t), -std::sin(t)};
    }
    return {0, 0, -1};
}

double exponentFor(double degrees)
{
    return std::log10(0.5) / std::log10(std::cos(calc::degreesToRadians(degrees / 2.0)));
}

// D as the formulas give it, from the angles themselves.
double expectedDirectivity(const LevelInputs &in, const Placement &p, QPointF point)
{
    const Vec d{point.x() - p.position.x(), point.y() - p.position.y(), -in.dropH};
    const Vec a = axisOf(p.side, in.tiltDeg);
    const double along = dot(a, d);
    if (along <= 0.0)
        return -40.0;
    double D = 0.0;
    if (!isHorn(in.mounting)) {
        const double theta = std::acos(std::clamp(along / norm(d), -1.0, 1.0));
        D = 20.0 * exponentFor(in.dirDeg) * std::log10(std::cos(theta));
    } else {
        // The horizontal plane of the axis holds the direction along the
        // wall; the vertical plane holds the axis and the normal of that
        // plane.
        const Vec alongWall{1, 0, 0};
        const Vec normal = cross(a, alongWall);
        const double thetaH = std::atan2(std::abs(dot(d, alongWall)), along);
        const double thetaV = std::atan2(std::abs(dot(d, normal)), along);
        D = 20.0
            * (exponentFor(in.dirDeg) * std::log10(std::cos(thetaH))
               + exponentFor(in.vDirDeg) * std::log10(std::cos(thetaV)));
    }
    return std::max(D, -40.0);
}

double expectedLevel(const LevelInputs &in, QPointF point)
{
    double power = 0.0;
    for (const Placement &p : in.placements) {
        const Vec d{point.x() - p.position.x(), point.y() - p.position.y(), -in.dropH};
        const double li
            = in.splTotal - 20.0 * std::log10(std::max(norm(d), 1.0)) + expectedDirectivity(in, p, point);
        power += std::pow(10.0, li / 10.0);
    }
    return 10.0 * std::log10(power);
}

LevelInputs inputs(calc::Mounting mounting, double length, double width, double dropH, double dirDeg,
                   double vDirDeg, double tiltDeg, std::vector<Placement> placements)
{
    LevelInputs in;
    in.mounting = mounting;
    in.splTotal = 90;
    in.dirDeg = dirDeg;
    in.vDirDeg = vDirDeg;
    in.tiltDeg = tiltDeg;
    in.dropH = dropH;
    in.length = length;
    in.width = width;
    in.placements = std::move(placements);
    return in;
}

// The worked example: 12 x 8 m, six ceiling loudspeakers in rows, 1.5 m
// above the plane, 90 dB, 90 degrees.
LevelInputs workedCeiling()
{
    return inputs(calc::Mounting::Ceiling, 12, 8, 1.5, 90, 90, 0,
                  {{{2, 2}}, {{6, 2}}, {{10, 2}}, {{2, 6}}, {{6, 6}}, {{10, 6}}});
}

LevelInputs single(calc::Mounting mounting, Placement placement, double dropH, double dirDeg, double vDirDeg,
                   double tiltDeg)
{
    return inputs(mounting, 20, 10, dropH, dirDeg, vDirDeg, tiltDeg, {placement});
}

// A point of the plane seen from a loudspeaker dropH above (x0, y0) in the
// direction cos(phi) a + sin(phi) b, a and b unit vectors at right angles.
QPointF pointAlong(QPointF at, double dropH, Vec a, Vec b, double phi)
{
    const Vec d{std::cos(phi) * a.x + std::sin(phi) * b.x, std::cos(phi) * a.y + std::sin(phi) * b.y,
                std::cos(phi) * a.z + std::sin(phi) * b.z};
    const double s = dropH / -d.z;
    return at + QPointF(s * d.x, s * d.y);
}

// The greatest difference of the map from the full sum over a lattice of
// cells that takes every wall's row and column.
double largestDifference(const LevelInputs &in, const LevelMap &map)
{
    double largest = 0.0;
    auto check = [&](int column, int row) {
        largest = std::max(largest, std::abs(map.at(column, row) - levelAt(in, map.cellCentre(column, row))));
    };
    for (int row = 0; row < map.grid.rows; row += 7) {
        for (int column = 0; column < map.grid.columns; column += 11)
            check(column, row);
        check(map.grid.columns - 1, row);
    }
    for (int column = 0; column < map.grid.columns; column += 5)
        check(column, map.grid.rows - 1);
    return largest;
}

LevelMap handMap(int columns, int rows, double cellSize, std::vector<double> levels)
{
    LevelMap map;
    map.grid.columns = columns;
    map.grid.rows = rows;
    map.grid.cellWidth = cellSize;
    map.grid.cellHeight = cellSize;
    map.levels = std::move(levels);
    return map;
}

} // namespace

class TestLevelMap : public QObject {
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void oneLoudspeaker_data();
    void oneLoudspeaker();
    void againstVectorFormulas_data();
    void againstVectorFormulas();
    void mapAgainstFullSum_data();
    void mapAgainstFullSum();
    void oneLoudspeakerEverywhere_data();
    void oneLoudspeakerEverywhere();
    void threadsGiveTheSameMap();
    void cancelled();
    void noMap_data();
    void noMap();
    void figuresThatDoNotMatter();
    void summary();
    void summaryText_data();
    void summaryText();
    void summaryOfAShareShortOfTheWhole();
    void mirroredPlans_data();
    void mirroredPlans();
    void summaryWithoutTheMap_data();
    void summaryWithoutTheMap();
    void summaryWithoutTheMapCancelled();
    void contourOfAPlane();
    void contourAroundOneLoudspeaker();
    void contourSaddle_data();
    void contourSaddle();
    void colourScale_data();
    void colourScale();
    void colourBands();
};

void TestLevelMap::workedExample_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<double>("level");
    QTest::newRow("under loudspeaker 1") << QPointF(2, 2) << 86.50;
    QTest::newRow("between the rows") << QPointF(6, 4) << 76.37;
    QTest::newRow("between four") << QPointF(4, 4) << 72.77;
}

void TestLevelMap::workedExample()
{
    QFETCH(QPointF, point);
    QFETCH(double, level);
    const double at = levelAt(workedCeiling(), point);
    QVERIFY2(std::abs(at - level) <= 0.01, qPrintable(QString::number(at, 'f', 4)));
}

void TestLevelMap::oneLoudspeaker_data()
{
    QTest::addColumn<LevelInputs>("in");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<double>("directivity");
    QTest::addColumn<double>("level");

    const double halfDown = 20.0 * std::log10(0.5); // -6.02 dB
    const Placement ceilingAt{{5, 5}, Side::Ceiling};

    QTest::newRow("ceiling, on the axis") << single(calc::Mounting::Ceiling, ceilingAt, 2, 60, 90, 0)
                                          << QPointF(5, 5) << 0.0 << 90.0 - 20.0 * std::log10(2.0);
    {
        // Half the directivity angle (30 degrees of calc::Pi) off the axis.
        const double rho = 2.0 * std::tan(calc::degreesToRadians(30));
        const double r = std::hypot(rho, 2.0);
        QTest::newRow("ceiling, half the angle")
            << single(calc::Mounting::Ceiling, ceilingAt, 2, 60, 90, 0) << QPointF(5 + rho, 5) << halfDown
            << 90.0 - 20.0 * std::log10(r) + halfDown;
    }
    QTest::newRow("ceiling, closer than 1 m")
        << single(calc::Mounting::Ceiling, ceilingAt, 0.5, 90, 90, 0) << QPointF(5, 5) << 0.0 << 90.0;
    {
        // 10 degrees wide: 5 m to the side the law would give about -2500 dB.
        const double r = std::hypot(5.0, 1.0);
        QTest::newRow("ceiling, never below -40")
            << single(calc::Mounting::Ceiling, ceilingAt, 1, 10, 90, 0) << QPointF(10, 5) << -40.0
            << 90.0 - 20.0 * std::log10(r) - 40.0;
    }
    {
        const double r = std::hypot(std::hypot(1.0, 3.0), 1.5);
        QTest::newRow("wall, behind it")
            << single(calc::Mounting::Wall, {{5, 0}, Side::NearWall}, 1.5, 90, 90, 10) << QPointF(6, -3)
            << -40.0 << 90.0 - 20.0 * std::log10(r) - 40.0;
        QTest::newRow("far wall, behind it")
            << single(calc::Mounting::Wall, {{5, 10}, Side::FarWall}, 1.5, 90, 90, 10) << QPointF(6, 13)
            << -40.0 << 90.0 - 20.0 * std::log10(r) - 40.0;
    }
    {
        // The point on the axis of a wall loudspeaker tilted 30 degrees.
        const double t = calc::degreesToRadians(30);
        const double reach = 2.0 / std::tan(t);
        const double r = 2.0 / std::sin(t);
        QTest::newRow("wall, on the tilted axis")
            << single(calc::Mounting::Wall, {{5, 0}, Side::NearWall}, 2, 90, 90, 30) << QPointF(5, reach)
            << 0.0 << 90.0 - 20.0 * std::log10(r);
        QTest::newRow("round horn, on the tilted axis")
            << single(calc::Mounting::RoundHorn, {{5, 10}, Side::FarWall}, 2, 40, 20, 30)
            << QPointF(5, 10 - reach) << 0.0 << 90.0 - 20.0 * std::log10(r);
    }
    {
        // Half the horizontal angle off the axis in the axis's horizontal
        // plane: only the horizontal law applies.
        const double tilt = 30;
        const Vec a = axisOf(Side::NearWall, tilt);
        const QPointF at(5, 0);
        const QPointF point = pointAlong(at, 3, a, {1, 0, 0}, calc::degreesToRadians(60.0 / 2.0));
        const double r = norm({point.x() - at.x(), point.y() - at.y(), -3});
        QTest::newRow("square horn, half the horizontal angle")
            << single(calc::Mounting::SquareHorn, {at, Side::NearWall}, 3, 60, 40, tilt) << point << halfDown
            << 90.0 - 20.0 * std::log10(r) + halfDown;
    }
    {
        // Half the vertical angle above the axis in its vertical plane:
        // only the vertical law applies.
        const double tilt = 45;
        const Vec a = axisOf(Side::NearWall, tilt);
        const Vec up = cross({1, 0, 0}, a);
        const QPointF at(5, 0);
        const QPointF point = pointAlong(at, 3, a, up, calc::degreesToRadians(40.0 / 2.0));
        const double r = norm({point.x() - at.x(), point.y() - at.y(), -3});
        QTest::newRow("round horn, half the vertical angle")
            << single(calc::Mounting::RoundHorn, {at, Side::NearWall}, 3, 60, 40, tilt) << point << halfDown
            << 90.0 - 20.0 * std::log10(r) + halfDown;
    }
    {
        // Half of both angles off the axis: both laws, -12 dB.
        const double tilt = 45;
        const Vec a = axisOf(Side::NearWall, tilt);
        const Vec up = cross({1, 0, 0}, a);
        const double tanH = std::tan(calc::degreesToRadians(60.0 / 2.0));
        const double tanV = std::tan(calc::degreesToRadians(40.0 / 2.0));
        const Vec d{a.x + tanH, a.y + tanV * up.y, a.z + tanV * up.z};
        const double s = 3.0 / -d.z;
        const QPointF point(5 + s * d.x, s * d.y);
        const double r = s * norm(d);
        QTest::newRow("round horn, half of both angles")
            << single(calc::Mounting::RoundHorn, {{5, 0}, Side::NearWall}, 3, 60, 40, tilt) << point
            << 2 * halfDown << 90.0 - 20.0 * std::log10(r) + 2 * halfDown;
    }
}

void TestLevelMap::oneLoudspeaker()
{
    QFETCH(LevelInputs, in);
    QFETCH(QPointF, point);
    QFETCH(double, directivity);
    QFETCH(double, level);
    const double d = directivityAt(in, in.placements.front(), point);
    QVERIFY2(std::abs(d - directivity) < 1e-9, qPrintable(QString::number(d, 'g', 12)));
    const double l = levelAt(in, point);
    QVERIFY2(std::abs(l - level) < 1e-9, qPrintable(QString::number(l, 'g', 12)));
}

void TestLevelMap::againstVectorFormulas_data()
{
    QTest::addColumn<LevelInputs>("in");
    const std::vector<Placement> walls = {{{3, 0}, Side::NearWall},
                                          {{11, 0}, Side::NearWall},
                                          {{7, 9}, Side::FarWall},
                                          {{15, 9}, Side::FarWall}};
    QTest::newRow("ceiling") << inputs(calc::Mounting::Ceiling, 18, 9, 2.2, 75, 90, 0,
                                       {{{3, 3}}, {{9, 4}}, {{15, 6}}});
    QTest::newRow("wall") << inputs(calc::Mounting::Wall, 18, 9, 1.7, 120, 90, 12, walls);
    QTest::newRow("round horn") << inputs(calc::Mounting::RoundHorn, 18, 9, 3.5, 50, 35, 25, walls);
    QTest::newRow("square horn, steep") << inputs(calc::Mounting::SquareHorn, 18, 9, 5, 90, 60, 70, walls);
}

// Points all over the room and beyond its walls.
void TestLevelMap::againstVectorFormulas()
{
    QFETCH(LevelInputs, in);
    for (double x = -2; x <= 20; x += 1.37) {
        for (double y = -1.5; y <= 10.5; y += 0.83) {
            const QPointF point(x, y);
            for (const Placement &p : in.placements) {
                const double d = directivityAt(in, p, point);
                const double expected = expectedDirectivity(in, p, point);
                if (std::abs(d - expected) > 1e-9)
                    QFAIL(qPrintable(QStringLiteral("D at (%1; %2): %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(d, 0, 'g', 12)
                                         .arg(expected, 0, 'g', 12)));
            }
            QVERIFY(std::abs(levelAt(in, point) - expectedLevel(in, point)) < 1e-9);
        }
    }
}

void TestLevelMap::mapAgainstFullSum_data()
{
    QTest::addColumn<LevelInputs>("in");
    QTest::addColumn<bool>("leavesOut"); // the room is large enough that far loudspeakers must be left out

    QTest::newRow("ceiling, worked example") << workedCeiling() << false;
    QTest::newRow("ceiling, full overlap 20 x 10")
        << inputs(calc::Mounting::Ceiling, 20, 10, 1, 90, 90, 0,
                  layOut(Arrangement::FullOverlap, 20, 10, 1, 0).placements)
        << true;
    QTest::newRow("ceiling, closer than 1 m, rows 10 x 6") << inputs(
        calc::Mounting::Ceiling, 10, 6, 0.5, 120, 90, 0, layOut(Arrangement::Rows, 10, 6, 0, 8).placements)
                                                           << false;
    QTest::newRow("ceiling, 10 degrees, edge to edge 12 x 9")
        << inputs(calc::Mounting::Ceiling, 12, 9, 4, 10, 90, 0,
                  layOut(Arrangement::EdgeToEdge, 12, 9, 0.35, 0).placements)
        << true;
    QTest::newRow("ceiling, 180 degrees, full overlap 14 x 7")
        << inputs(calc::Mounting::Ceiling, 14, 7, 0.8, 180, 90, 0,
                  layOut(Arrangement::FullOverlap, 14, 7, 1, 0).placements)
        << false; // nearly as loud all round: far loudspeakers still count
    QTest::newRow("ceiling, narrow, edge to edge 16 x 16")
        << inputs(calc::Mounting::Ceiling, 16, 16, 3, 30, 90, 0,
                  layOut(Arrangement::EdgeToEdge, 16, 16, 0.8, 0).placements)
        << true;
    const struct {
        const char *name;
        calc::Mounting mounting;
        double dirDeg, vDirDeg, tiltDeg, dropH;
    } kinds[] = {
        {"wall", calc::Mounting::Wall, 90, 90, 10, 1.5},
        {"round horn", calc::Mounting::RoundHorn, 60, 40, 20, 4},
        {"square horn", calc::Mounting::SquareHorn, 45, 30, 5, 3},
    };
    for (const auto &kind : kinds) {
        for (const bool twoWalls : {false, true}) {
            const int count = twoWalls ? 12 : 7;
            QTest::addRow("%s, %s", kind.name, twoWalls ? "two walls" : "one wall") << inputs(
                kind.mounting, 30, 12, kind.dropH, kind.dirDeg, kind.vDirDeg, kind.tiltDeg,
                layOut(twoWalls ? Arrangement::TwoWalls : Arrangement::OneWall, 30, 12, 0, count).placements)
                                                                                    << false;
        }
        QTest::addRow("%s, corridor 240 x 6, two walls", kind.name)
            << inputs(kind.mounting, 240, 6, kind.dropH, kind.dirDeg, kind.vDirDeg, kind.tiltDeg,
                      layOut(Arrangement::TwoWalls, 240, 6, 0, 120).placements)
            << true;
    }
}

void TestLevelMap::mapAgainstFullSum()
{
    QFETCH(LevelInputs, in);
    QFETCH(bool, leavesOut);
    const std::optional<LevelMap> map = levelMap(in);
    QVERIFY(map.has_value());
    QCOMPARE(map->grid.columns, cellGrid(in.length, in.width).columns);
    QCOMPARE(map->grid.rows, cellGrid(in.length, in.width).rows);
    QCOMPARE(map->levels.size(), std::size_t(map->grid.cells()));
    const double largest = largestDifference(in, *map);
    QVERIFY2(largest <= LevelMapTolerance, qPrintable(QString::number(largest, 'g', 6)));
    QVERIFY(map->termsPerCell >= 1.0);
    QVERIFY(map->termsPerCell <= double(in.placements.size()));
    if (leavesOut)
        QVERIFY2(map->termsPerCell < 0.5 * double(in.placements.size()),
                 qPrintable(QString::number(map->termsPerCell)));
}

void TestLevelMap::oneLoudspeakerEverywhere_data()
{
    QTest::addColumn<LevelInputs>("in");
    QTest::newRow("ceiling, 90 degrees")
        << single(calc::Mounting::Ceiling, {{7, 3}, Side::Ceiling}, 2, 90, 90, 0);
    QTest::newRow("ceiling, 10 degrees")
        << single(calc::Mounting::Ceiling, {{7, 3}, Side::Ceiling}, 2, 10, 90, 0);
    QTest::newRow("ceiling, 180 degrees, 0.7 m")
        << single(calc::Mounting::Ceiling, {{7, 3}, Side::Ceiling}, 0.7, 180, 90, 0);
    QTest::newRow("wall, far") << single(calc::Mounting::Wall, {{12, 10}, Side::FarWall}, 1.5, 60, 90, 15);
    QTest::newRow("square horn") << single(calc::Mounting::SquareHorn, {{3, 0}, Side::NearWall}, 4, 40, 30,
                                           35);
}

// With one loudspeaker nothing can be left out: every cell is its level.
void TestLevelMap::oneLoudspeakerEverywhere()
{
    QFETCH(LevelInputs, in);
    const std::optional<LevelMap> map = levelMap(in);
    QVERIFY(map.has_value());
    double largest = 0.0;
    for (int row = 0; row < map->grid.rows; ++row)
        for (int column = 0; column < map->grid.columns; ++column)
            largest = std::max(largest,
                               std::abs(map->at(column, row) - levelAt(in, map->cellCentre(column, row))));
    QVERIFY2(largest < 1e-9, qPrintable(QString::number(largest, 'g', 6)));
}

void TestLevelMap::threadsGiveTheSameMap()
{
    const LevelInputs in = inputs(calc::Mounting::Ceiling, 20, 10, 1, 90, 90, 0,
                                  layOut(Arrangement::FullOverlap, 20, 10, 1, 0).placements);
    const std::optional<LevelMap> one = levelMap(in, nullptr, 1);
    const std::optional<LevelMap> three = levelMap(in, nullptr, 3);
    QVERIFY(one && three);
    QVERIFY(one->levels == three->levels);
}

void TestLevelMap::cancelled()
{
    const LevelInputs hall = inputs(calc::Mounting::Ceiling, 200, 100, 1, 90, 90, 0,
                                    layOut(Arrangement::FullOverlap, 200, 100, 1, 0).placements);
    std::atomic<bool> cancel{true};
    QVERIFY(!levelMap(hall, &cancel).has_value());

    // Cancelled from another thread while it runs; one thread takes well
    // over a second for the hall.
    cancel = false;
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const std::optional<LevelMap> map = levelMap(hall, &cancel, 1);
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    QVERIFY(!map.has_value());
    QVERIFY(took < std::chrono::seconds(20));

    const std::atomic<bool> keepGoing{false};
    QVERIFY(levelMap(workedCeiling(), &keepGoing).has_value());
}

void TestLevelMap::noMap_data()
{
    QTest::addColumn<LevelInputs>("in");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto changed = [](auto change) {
        LevelInputs in = workedCeiling();
        change(in);
        return in;
    };
    QTest::newRow("no loudspeaker") << changed([](LevelInputs &in) { in.placements.clear(); });
    QTest::newRow("no length") << changed([](LevelInputs &in) { in.length = 0; });
    QTest::newRow("width not a number") << changed([nan](LevelInputs &in) { in.width = nan; });
    QTest::newRow("level not a number") << changed([nan](LevelInputs &in) { in.splTotal = nan; });
    QTest::newRow("level infinite") << changed([inf](LevelInputs &in) { in.splTotal = inf; });
    QTest::newRow("directivity 0") << changed([](LevelInputs &in) { in.dirDeg = 0; });
    QTest::newRow("directivity above 180") << changed([](LevelInputs &in) { in.dirDeg = 181; });
    QTest::newRow("below the plane") << changed([](LevelInputs &in) { in.dropH = -1; });
    QTest::newRow("tilt not a number") << changed([nan](LevelInputs &in) { in.tiltDeg = nan; });
    QTest::newRow("position not a number")
        << changed([nan](LevelInputs &in) { in.placements[2].position.setX(nan); });
    QTest::newRow("horn, vertical directivity 0") << changed([](LevelInputs &in) {
        in.mounting = calc::Mounting::RoundHorn;
        in.vDirDeg = 0;
    });
}

void TestLevelMap::noMap()
{
    QFETCH(LevelInputs, in);
    QVERIFY(!hasLevelMap(in));
    QVERIFY(!levelMap(in).has_value());
    QVERIFY(std::isnan(levelAt(in, QPointF(1, 1))));
}

void TestLevelMap::figuresThatDoNotMatter()
{
    // The vertical directivity matters to horns only; a beam 180 degrees
    // wide is the widest there is.
    LevelInputs in = workedCeiling();
    in.vDirDeg = 0;
    in.dirDeg = 180;
    QVERIFY(hasLevelMap(in));
    QVERIFY(levelMap(in).has_value());
}

void TestLevelMap::summary()
{
    const LevelMap map = handMap(3, 2, 1.0, {70.0, 75.0, 74.99, 80.0, 120.0, 120.5});
    const LevelSummary s = plan::summarize(map, 75);
    QCOMPARE(s.lowest, 70.0);
    QCOMPARE(s.highest, 120.5);
    QCOMPARE(s.spread, 50.5);
    QCOMPARE(s.requiredShare, 100.0 * 4 / 6); // 75 counts, 74.99 does not
    QCOMPARE(s.tooLoudShare, 100.0 / 6);      // 120 is not above 120
}

void TestLevelMap::summaryText_data()
{
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("text");
    QTest::newRow("comma") << QChar(u',')
                           << QStringLiteral(
                                  "Уровень звука: от 72,8 до 86,5 дБ, разброс 13,7 дБ. Не ниже 75 дБ: "
                                  "62,5 % площади. Выше 120 дБ: 0,0 % площади.");
    QTest::newRow("point") << QChar(u'.')
                           << QStringLiteral(
                                  "Уровень звука: от 72.8 до 86.5 дБ, разброс 13.7 дБ. Не ниже 75 дБ: "
                                  "62.5 % площади. Выше 120 дБ: 0.0 % площади.");
}

void TestLevelMap::summaryText()
{
    QFETCH(QChar, point);
    QFETCH(QString, text);
    LevelSummary s;
    s.lowest = 72.77;
    s.highest = 86.4959;
    s.spread = s.highest - s.lowest;
    s.requiredShare = 62.5;
    s.tooLoudShare = 0.0;
    QCOMPARE(levelSummaryText(s, 75, point), text);
}

// A map of 100 000 cells with one below the required level and one above
// 120 dB: neither share is shown as all or nothing of the floor.
void TestLevelMap::summaryOfAShareShortOfTheWhole()
{
    std::vector<double> levels(100000, 80.0);
    levels[4711] = 74.9;
    levels[99999] = 120.5;
    const LevelSummary s = plan::summarize(handMap(1000, 100, 0.1, std::move(levels)), 75);
    QCOMPARE(
        levelSummaryText(s, 75, u','),
        QStringLiteral("Уровень звука: от 74,9 до 120,5 дБ, разброс 45,6 дБ. Не ниже 75 дБ: 99,9 % площади. "
                       "Выше 120 дБ: 0,1 % площади."));
}

void TestLevelMap::contourOfAPlane()
{
    // The level rises 1 dB per column: the contour of 72.5 dB is the
    // vertical line halfway between the centres of columns 2 and 3.
    std::vector<double> levels;
    const int columns = 6;
    const int rows = 4;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            levels.push_back(70.0 + column);
    const LevelMap map = handMap(columns, rows, 0.5, levels);
    const std::vector<QLineF> segments = contourSegments(map, 72.5);
    QCOMPARE(int(segments.size()), rows - 1);
    double length = 0.0;
    for (const QLineF &segment : segments) {
        QCOMPARE(segment.x1(), 3.0 * 0.5);
        QCOMPARE(segment.x2(), 3.0 * 0.5);
        length += segment.length();
    }
    QCOMPARE(length, (rows - 1) * 0.5);
    QVERIFY(contourSegments(map, 60.0).empty());
    QVERIFY(contourSegments(map, 90.0).empty());
}

void TestLevelMap::contourAroundOneLoudspeaker()
{
    // Straight under a loudspeaker pointing down the level falls with the
    // distance alone: the contour is a circle about it.
    const LevelInputs in = single(calc::Mounting::Ceiling, {{10, 5}, Side::Ceiling}, 2, 90, 90, 0);
    const std::optional<LevelMap> map = levelMap(in);
    QVERIFY(map.has_value());
    const double level = levelAt(in, QPointF(13, 5));
    const std::vector<QLineF> segments = contourSegments(*map, level);
    QVERIFY(segments.size() > 100);
    for (const QLineF &segment : segments) {
        for (const QPointF end : {segment.p1(), segment.p2()})
            QVERIFY2(std::abs(QLineF(QPointF(10, 5), end).length() - 3.0) < 0.01,
                     qPrintable(QStringLiteral("%1; %2").arg(end.x()).arg(end.y())));
    }
}

void TestLevelMap::contourSaddle_data()
{
    QTest::addColumn<double>("lowerLeft");
    QTest::addColumn<double>("level");
    QTest::addColumn<QPointF>("cutOff"); // one of the two corners the segments cut off
    // Corners 80 (lower left, upper right) and 70 (the other two); their
    // mean, 75, decides.
    QTest::newRow("high pair joined") << 80.0 << 74.0 << QPointF(1, 0);
    QTest::newRow("high pair apart") << 80.0 << 76.0 << QPointF(0, 0);
    QTest::newRow("low pair apart") << 70.0 << 74.0 << QPointF(0, 0);
    QTest::newRow("low pair joined") << 70.0 << 76.0 << QPointF(1, 0);
}

void TestLevelMap::contourSaddle()
{
    QFETCH(double, lowerLeft);
    QFETCH(double, level);
    QFETCH(QPointF, cutOff);
    const double other = 150.0 - lowerLeft;
    // Centres at 0.5 and 1.5: the square between them runs 0.5 .. 1.5.
    const LevelMap map = handMap(2, 2, 1.0, {lowerLeft, other, other, lowerLeft});
    const std::vector<QLineF> segments = contourSegments(map, level);
    QCOMPARE(int(segments.size()), 2);
    const QPointF corner = QPointF(0.5, 0.5) + cutOff;
    const QPointF opposite = QPointF(2.0, 2.0) - corner;
    int nearCorner = 0;
    for (const QLineF &segment : segments) {
        const QPointF middle = segment.center();
        const bool toCorner = QLineF(middle, corner).length() < 0.5;
        const bool toOpposite = QLineF(middle, opposite).length() < 0.5;
        QVERIFY(toCorner || toOpposite);
        nearCorner += toCorner ? 1 : 0;
    }
    QCOMPARE(nearCorner, 1);
}

void TestLevelMap::colourScale_data()
{
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("bands");
    QTest::newRow("1 dB") << 72.3 << 79.9 << 72.0 << 1.0 << 8;
    QTest::newRow("2 dB") << 72.3 << 91.7 << 72.0 << 2.0 << 10;
    QTest::newRow("5 dB") << 61.0 << 99.0 << 60.0 << 5.0 << 8;
    QTest::newRow("20 dB") << -40.0 << 120.0 << -40.0 << 20.0 << 9;
    QTest::newRow("one level") << 80.0 << 80.0 << 80.0 << 1.0 << 1;
    QTest::newRow("edge at the top") << 70.0 << 80.0 << 70.0 << 2.0 << 6;
}

void TestLevelMap::colourScale()
{
    QFETCH(double, lowest);
    QFETCH(double, highest);
    QFETCH(double, first);
    QFETCH(double, step);
    QFETCH(int, bands);
    const LevelScale scale = levelScale(lowest, highest, 10);
    QCOMPARE(scale.first, first);
    QCOMPARE(scale.step, step);
    QCOMPARE(scale.bands, bands);
    QVERIFY(scale.bandFrom(0) <= lowest);
    QVERIFY(scale.bandFrom(scale.bands) > highest);
}

void TestLevelMap::colourBands()
{
    const LevelScale scale = levelScale(72.3, 91.7, 10);
    const std::vector<LegendStep> legend = legendSteps(scale);
    QCOMPARE(int(legend.size()), 10);
    QCOMPARE(legend.front().from, 72.0);
    QCOMPARE(legend.back().to, 92.0);
    for (std::size_t i = 1; i < legend.size(); ++i) {
        QCOMPARE(legend[i].from, legend[i - 1].to);
        QVERIFY(legend[i].colour != legend[i - 1].colour);
    }
    QCOMPARE(legend.front().colour.hue(), 240); // blue for the quietest
    QCOMPARE(legend.back().colour.hue(), 0);    // red for the loudest
    QCOMPARE(levelColour(scale, 72.0), legend[0].colour);
    QCOMPARE(levelColour(scale, 73.99), legend[0].colour);
    QCOMPARE(levelColour(scale, 74.0), legend[1].colour);
    QCOMPARE(levelColour(scale, 50.0), legend.front().colour);
    QCOMPARE(levelColour(scale, 130.0), legend.back().colour);
    QCOMPARE(levelColour(scale, std::numeric_limits<double>::quiet_NaN()), legend.front().colour);
}

// The figures levelSummary gives without the whole map against those of
// the full map (summarize of levelMap), for generated rooms of every
// mounting type and every arrangement, rectangles and rooms of other
// shapes (an L, a U, a triangle, a turned rectangle): the shares within
// 0.1 % of the floor, the lowest and the highest within 0.05 dB. The
// required level is taken from the full map, so that the share lies
// between 0 and 100 %; some rooms are loud enough to go above 120 dB
// under their loudspeakers.
// Plans that are their own mirror image across the middle of the length
// or the width, or both (the count-taking arrangements of a rectangle,
// shaped floors with their loudspeakers in pairs), and plans a little off
// it. A mirrored plan's map has its other half the image of the first to
// the last bit; every plan's figures without the map, which tally only
// the cells whose images are not tallied, are its map's.
void TestLevelMap::mirroredPlans_data()
{
    QTest::addColumn<LevelInputs>("in");
    QTest::addColumn<bool>("acrossLength");
    QTest::addColumn<bool>("acrossWidth");

    const LevelInputs rows = inputs(calc::Mounting::Ceiling, 12, 8, 2, 90, 90, 0,
                                    layOut(Arrangement::Rows, 12, 8, 0, 7).placements);
    QTest::newRow("ceiling, rows of 4 and 3") << rows << true << false;
    QTest::newRow("ceiling, rows of 4 and 4") << inputs(calc::Mounting::Ceiling, 12, 8, 2, 90, 90, 0,
                                                        layOut(Arrangement::Rows, 12, 8, 0, 8).placements)
                                              << true << true;
    LevelInputs moved = rows;
    moved.placements[2].position += QPointF(0.01, 0);
    QTest::newRow("ceiling, one moved 1 cm") << moved << false << false;
    // 3.33 m across: 333 rows, the middle one its own image.
    QTest::newRow("ceiling, odd rows") << inputs(calc::Mounting::Ceiling, 10, 3.33, 2, 90, 90, 0,
                                                 layOut(Arrangement::Rows, 10, 3.33, 0, 8).placements)
                                       << true << true;
    const LevelInputs walls = inputs(calc::Mounting::Wall, 30, 12, 1.5, 90, 90, 10,
                                     layOut(Arrangement::TwoWalls, 30, 12, 0, 7).placements);
    QTest::newRow("two walls, 4 and 3") << walls << true << false;
    QTest::newRow("two walls, 4 and 4") << inputs(calc::Mounting::SquareHorn, 30, 12, 1.5, 60, 40, 10,
                                                  layOut(Arrangement::TwoWalls, 30, 12, 0, 8).placements)
                                        << true << true;
    LevelInputs otherWall = walls;
    otherWall.placements.front() = {QPointF(otherWall.placements.front().position.x(), 12), Side::FarWall};
    QTest::newRow("two walls, one moved across") << otherWall << false << false;
    LevelInputs turned = walls;
    turned.placements.front() = wallPlacement(QPointF(0, 3), QPointF(1, 0));
    turned.placements.back() = wallPlacement(QPointF(30, 3), QPointF(-1, 0));
    QTest::newRow("two walls, a pair on the end walls") << turned << false << false;
    // 3.33 m along X: 333 columns, the middle one its own image.
    LevelInputs odd = inputs(calc::Mounting::RoundHorn, 3.33, 10, 2, 60, 40, 15,
                             layOut(Arrangement::OneWall, 3.33, 10, 0, 3).placements);
    odd.splTotal = 118;
    QTest::newRow("horn, odd columns") << odd << true << false;

    LevelInputs inT = inputs(calc::Mounting::Ceiling, 12, 9, 2, 90, 90, 0,
                             {{QPointF(2, 1.5), Side::Ceiling},
                              {QPointF(10, 1.5), Side::Ceiling},
                              {QPointF(6, 1.5), Side::Ceiling},
                              {QPointF(6, 6), Side::Ceiling}});
    inT.shape = calc::Shape::fromOutline({{0, 0}, {12, 0}, {12, 3}, {8, 3}, {8, 9}, {4, 9}, {4, 3}, {0, 3}});
    QTest::newRow("T floor, pairs and the middle") << inT << true << false;
    LevelInputs inL = inT;
    inL.shape = calc::Shape::fromOutline({{0, 0}, {12, 0}, {12, 3}, {4, 3}, {4, 9}, {0, 9}});
    QTest::newRow("L floor, the same loudspeakers") << inL << false << false;
    LevelInputs cross = inputs(calc::Mounting::Ceiling, 12, 9, 2, 90, 90, 0,
                               {{QPointF(2, 4.5), Side::Ceiling},
                                {QPointF(10, 4.5), Side::Ceiling},
                                {QPointF(6, 1.5), Side::Ceiling},
                                {QPointF(6, 7.5), Side::Ceiling}});
    cross.shape = calc::Shape::fromOutline(
        {{4, 0}, {8, 0}, {8, 3}, {12, 3}, {12, 6}, {8, 6}, {8, 9}, {4, 9}, {4, 6}, {0, 6}, {0, 3}, {4, 3}});
    QTest::newRow("cross floor, one in each arm") << cross << true << true;
}

void TestLevelMap::mirroredPlans()
{
    QFETCH(LevelInputs, in);
    QFETCH(bool, acrossLength);
    QFETCH(bool, acrossWidth);
    if (in.shape.isEmpty()) {
        const Mirrors mirrors = planMirrors(cellGrid(in.length, in.width), in.placements);
        QCOMPARE(mirrors.acrossLength, acrossLength);
        QCOMPARE(mirrors.acrossWidth, acrossWidth);
    }
    const std::optional<LevelMap> map = levelMap(in, nullptr, 1);
    QVERIFY(map);
    const int columns = map->grid.columns;
    const int rows = map->grid.rows;
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    bool lengthImages = true;
    bool widthImages = true;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            lengthImages = lengthImages && same(map->at(column, row), map->at(columns - 1 - column, row));
            widthImages = widthImages && same(map->at(column, row), map->at(column, rows - 1 - row));
        }
    }
    QCOMPARE(lengthImages, acrossLength);
    QCOMPARE(widthImages, acrossWidth);
    // Halfway between the lowest and the highest: a share well inside.
    const LevelSummary spread = summarize(*map, 0.0);
    const double required = (spread.lowest + spread.highest) / 2;
    const LevelSummary full = summarize(*map, required);
    const std::optional<LevelSummary> quick = levelSummary(in, required);
    QVERIFY(quick);
    QCOMPARE(quick->requiredShare, full.requiredShare);
    QCOMPARE(quick->tooLoudShare, full.tooLoudShare);
    QCOMPARE(quick->lowest, full.lowest);
    QVERIFY(full.requiredShare > 0 && full.requiredShare < 100);
}

void TestLevelMap::summaryWithoutTheMap_data()
{
    QTest::addColumn<LevelInputs>("inputs");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("fraction"); // of the map's spread above its lowest

    const calc::Shape shapes[] = {
        calc::Shape::fromOutline({{0, 0}, {14, 0}, {14, 2}, {2, 2}, {2, 9}, {0, 9}}),
        calc::Shape::fromOutline({{0, 0}, {10, 0}, {10, 8}, {7, 8}, {7, 3}, {3, 3}, {3, 8}, {0, 8}}),
        calc::Shape::fromOutline({{0, 0}, {16, 0}, {0, 7}}),
        calc::Shape::fromOutline({{100, 50}, {117.32, 60}, {113.32, 66.93}, {96, 56.93}}),
    };
    const char *shapeNames[] = {"L", "U", "triangle", "turned"};
    const calc::Mounting mountings[] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                        calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    const char *mountingNames[] = {"ceiling", "wall", "round horn", "square horn"};
    int row = 0;
    for (int m = 0; m < 4; ++m) {
        for (const Arrangement arrangement : arrangementsFor(mountings[m])) {
            for (const bool shaped : {false, true}) {
                const int k = row++;
                LevelInputs in;
                in.mounting = mountings[m];
                in.length = 6.0 + (k * 7) % 19;
                in.width = 3.0 + (k * 5) % 11;
                in.dropH = 1.5 + 0.5 * (k % 5);
                // Every fourth room loud enough for cells above 120 dB.
                in.splTotal = k % 4 == 3 ? 124.0 : 88.0 + k % 12;
                in.dirDeg = 60.0 + (k * 17) % 100;
                in.vDirDeg = 40.0 + (k * 13) % 60;
                in.tiltDeg = (k * 11) % 30;
                if (shaped)
                    in.shape = shapes[k % 4];
                const calc::Shape floor = shaped ? in.shape : calc::Shape::rectangle(in.length, in.width);
                in.placements = layOut(arrangement, floor, 2.5, 2 + k % 9).placements;
                QTest::addRow("%s %s %s", mountingNames[m], qPrintable(arrangementName(arrangement)),
                              shaped ? shapeNames[k % 4] : "rectangle")
                    << in << arrangement << (0.2 + 0.15 * (k % 5));
            }
        }
    }
}

void TestLevelMap::summaryWithoutTheMap()
{
    QFETCH(LevelInputs, inputs);
    QFETCH(double, fraction);
    QVERIFY(!inputs.placements.empty());
    const std::optional<LevelMap> map = levelMap(inputs);
    QVERIFY(map.has_value());
    const LevelSummary spread = summarize(*map, 0.0);
    const double required = std::round(spread.lowest + fraction * spread.spread);
    const LevelSummary full = summarize(*map, required);
    const std::optional<LevelSummary> fast = levelSummary(inputs, required);
    QVERIFY(fast.has_value());
    const auto near = [](double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; };
    QVERIFY2(near(fast->lowest, full.lowest, 0.05),
             qPrintable(QStringLiteral("lowest %1 against %2").arg(fast->lowest).arg(full.lowest)));
    QVERIFY2(near(fast->highest, full.highest, 0.05),
             qPrintable(QStringLiteral("highest %1 against %2").arg(fast->highest).arg(full.highest)));
    QVERIFY(near(fast->spread, fast->highest - fast->lowest, 1e-9));
    QVERIFY2(
        near(fast->requiredShare, full.requiredShare, 0.1),
        qPrintable(QStringLiteral("share %1 against %2").arg(fast->requiredShare).arg(full.requiredShare)));
    QVERIFY2(
        near(fast->tooLoudShare, full.tooLoudShare, 0.1),
        qPrintable(
            QStringLiteral("above 120 dB %1 against %2").arg(fast->tooLoudShare).arg(full.tooLoudShare)));
    // The rooms table's figures: the same but for the highest and the
    // spread; a fit's: the shares alone.
    const std::optional<LevelSummary> table
        = levelSummary(inputs, required, nullptr, SummaryFigures::WithoutHighest);
    QVERIFY(table.has_value());
    QCOMPARE(table->lowest, fast->lowest);
    QCOMPARE(table->requiredShare, fast->requiredShare);
    QCOMPARE(table->tooLoudShare, fast->tooLoudShare);
    QVERIFY(std::isnan(table->highest) && std::isnan(table->spread));
    const std::optional<LevelSummary> shares
        = levelSummary(inputs, required, nullptr, SummaryFigures::Shares);
    QVERIFY(shares.has_value());
    QCOMPARE(shares->requiredShare, fast->requiredShare);
    QCOMPARE(shares->tooLoudShare, fast->tooLoudShare);
    QVERIFY(std::isnan(shares->lowest));
}

// A summary stopped from outside gives no figures; inputs without a map
// give none either.
void TestLevelMap::summaryWithoutTheMapCancelled()
{
    LevelInputs in;
    in.mounting = calc::Mounting::Ceiling;
    in.length = 30;
    in.width = 20;
    in.dropH = 3;
    in.splTotal = 95;
    in.dirDeg = 90;
    in.placements = layOut(Arrangement::Rows, 30, 20, 0, 12).placements;
    QVERIFY(levelSummary(in, 80.0).has_value());
    const std::atomic<bool> cancelled{true};
    QVERIFY(!levelSummary(in, 80.0, &cancelled).has_value());
    in.placements.clear();
    QVERIFY(!levelSummary(in, 80.0).has_value());
}

QTEST_GUILESS_MAIN(TestLevelMap)
#include "tst_plan_levelmap.moc"
