// The zones each mounting type covers and the share of the floor they
// cover: the worked examples, shapes checked point by point, areas against
// their geometry, and the fast row-by-row marking against a test of every
// cell centre.
#include "calc/calcstate.h"
#include "plan/floorcoverage.h"
#include "plan/planscene.h"
#include "plan/zones.h"

#include <QTest>
#include <cmath>

using namespace plan;

Q_DECLARE_METATYPE(plan::Arrangement)
Q_DECLARE_METATYPE(plan::PlanFigures)
Q_DECLARE_METATYPE(plan::ZoneForm)
Q_DECLARE_METATYPE(plan::Placement)

namespace {

constexpr double TruePi = 3.14159265358979323846;

PlanFigures ceiling(double length, double width, double radius)
{
    PlanFigures f;
    f.mounting = calc::Mounting::Ceiling;
    f.roomL = length;
    f.roomW = width;
    f.radius = radius;
    return f;
}

PlanFigures wall(double length, double width, double range, double degrees)
{
    PlanFigures f;
    f.mounting = calc::Mounting::Wall;
    f.roomL = length;
    f.roomW = width;
    f.range = range;
    f.dirRad = calc::degreesToRadians(degrees);
    return f;
}

// The horn of the worked example: 1.5 m above the listening plane, its
// beam meeting the plane 1.9582 m and 6 m away, 40 degrees wide.
PlanFigures horn(calc::Mounting mounting, double length, double width, double edgeDeg)
{
    PlanFigures f;
    f.mounting = mounting;
    f.roomL = length;
    f.roomW = width;
    f.dropH = 1.5;
    f.nearSlant = 1.9582;
    f.farSlant = 6;
    f.edgeDeg = edgeDeg;
    f.farHalfW = 2.1838;
    f.dirRad = calc::degreesToRadians(40);
    f.nearSide = 2.0839;
    f.farSide = 6;
    f.range = 6;
    return f;
}

ZoneForm disc(double r)
{
    ZoneForm z;
    z.shape = ZoneShape::Disc;
    z.radius = r;
    return z;
}

ZoneForm sector(double r, double halfAngle)
{
    ZoneForm z;
    z.shape = ZoneShape::Sector;
    z.radius = r;
    z.halfAngle = halfAngle;
    return z;
}

ZoneForm ellipse(double y0, double y1, double halfAlong)
{
    ZoneForm z;
    z.shape = ZoneShape::Ellipse;
    z.nearDistance = y0;
    z.farDistance = y1;
    z.halfAlong = halfAlong;
    return z;
}

ZoneForm trapezium(double y0, double y1, double h0, double h1)
{
    ZoneForm z;
    z.shape = ZoneShape::Trapezium;
    z.nearDistance = y0;
    z.farDistance = y1;
    z.nearHalfWidth = h0;
    z.farHalfWidth = h1;
    return z;
}

double degrees(double d)
{
    return d * TruePi / 180.0;
}

} // namespace

class TestPlanCoverage : public QObject {
    Q_OBJECT

private slots:
    void hornReach_data();
    void hornReach();
    void zoneOfEachMounting();
    void zoneContains_data();
    void zoneContains();

    void cells_data();
    void cells();

    void workedExamples_data();
    void workedExamples();
    void areasMatchTheirGeometry_data();
    void areasMatchTheirGeometry();
    void fastMarkingMatchesEveryCell_data();
    void fastMarkingMatchesEveryCell();
    void farWallMirrorsNearWall();
    void noZoneNoCoverage();
    void floorImageShowsUncoveredCellsTinted();
};

void TestPlanCoverage::hornReach_data()
{
    QTest::addColumn<double>("edgeDeg");
    QTest::addColumn<double>("y0");

    QTest::newRow("in front of the wall") << 50.0 << 1.2587;
    QTest::newRow("at 90 degrees still in front") << 90.0 << 1.2587;
    QTest::newRow("behind the wall") << 95.0 << -1.2587;
}

void TestPlanCoverage::hornReach()
{
    QFETCH(double, edgeDeg);
    QFETCH(double, y0);
    const HornReach reach = plan::hornReach(horn(calc::Mounting::RoundHorn, 6, 6, edgeDeg));
    QVERIFY(std::abs(reach.nearH - 1.2587) < 1e-4);
    QVERIFY(std::abs(reach.farH - 5.8095) < 1e-4);
    QVERIFY(std::abs(reach.y0 - y0) < 1e-4);
    QCOMPARE(reach.y1, reach.farH);
}

void TestPlanCoverage::zoneOfEachMounting()
{
    const ZoneForm d = zoneForm(ceiling(6, 6, 1.49993));
    QCOMPARE(d.shape, ZoneShape::Disc);
    QCOMPARE(d.radius, 1.49993);

    const ZoneForm s = zoneForm(wall(6, 6, 5, 120));
    QCOMPARE(s.shape, ZoneShape::Sector);
    QCOMPARE(s.radius, 5.0);
    QVERIFY(std::abs(s.halfAngle - 1.0471667) < 1e-6); // 60 degrees with pi = 3.1415

    const ZoneForm e = zoneForm(horn(calc::Mounting::RoundHorn, 6, 6, 50));
    QCOMPARE(e.shape, ZoneShape::Ellipse);
    QVERIFY(std::abs(e.nearDistance - 1.2587) < 1e-4);
    QVERIFY(std::abs(e.farDistance - 5.8095) < 1e-4);
    QVERIFY(std::abs(e.halfAlong - 1.0919) < 1e-9);

    // sin(20 degrees) = 0.3420 times the beam sides 2.0839 and 6.
    const ZoneForm t = zoneForm(horn(calc::Mounting::SquareHorn, 6, 6, 50));
    QCOMPARE(t.shape, ZoneShape::Trapezium);
    QVERIFY(std::abs(t.nearHalfWidth - 0.7127) < 1e-3);
    QVERIFY(std::abs(t.farHalfWidth - 2.0521) < 1e-3);

    // A zone without size is no zone.
    QCOMPARE(zoneForm(ceiling(6, 6, 0)).shape, ZoneShape::None);
    QCOMPARE(zoneForm(wall(6, 6, 0, 120)).shape, ZoneShape::None);
    QCOMPARE(zoneForm(ceiling(6, 6, qQNaN())).shape, ZoneShape::None);
}

void TestPlanCoverage::zoneContains_data()
{
    QTest::addColumn<ZoneForm>("form");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("inside");

    const Placement middle{QPointF(5, 5), Side::Ceiling};
    QTest::newRow("disc: near the edge") << disc(2) << middle << QPointF(6.9, 5) << true;
    QTest::newRow("disc: on the edge") << disc(2) << middle << QPointF(5, 7) << true;
    QTest::newRow("disc: past the edge") << disc(2) << middle << QPointF(5, 7.01) << false;
    QTest::newRow("disc: diagonal beyond") << disc(2) << middle << QPointF(6.5, 6.5) << false;

    // 120 degrees: 60 to each side of the wall's normal.
    const Placement near{QPointF(3, 0), Side::NearWall};
    const ZoneForm wide = sector(5, degrees(60));
    QTest::newRow("sector: straight ahead") << wide << near << QPointF(3, 4.9) << true;
    QTest::newRow("sector: 55 degrees off")
        << wide << near << QPointF(3 + 4 * std::sin(degrees(55)), 4 * std::cos(degrees(55))) << true;
    QTest::newRow("sector: 65 degrees off")
        << wide << near << QPointF(3 + 4 * std::sin(degrees(65)), 4 * std::cos(degrees(65))) << false;
    QTest::newRow("sector: beyond the range") << wide << near << QPointF(3, 5.1) << false;
    QTest::newRow("sector: behind the wall") << wide << near << QPointF(3, -0.1) << false;
    const Placement far{QPointF(3, 6), Side::FarWall};
    QTest::newRow("sector on the far wall: ahead") << wide << far << QPointF(3, 1.1) << true;
    QTest::newRow("sector on the far wall: behind") << wide << far << QPointF(3, 6.5) << false;
    // 270 degrees: everything in front of the wall within the range.
    const ZoneForm beyondHalf = sector(3, degrees(135));
    QTest::newRow("wide sector: along the wall") << beyondHalf << near << QPointF(0.1, 0.1) << true;
    QTest::newRow("wide sector: behind the wall") << beyondHalf << near << QPointF(3, -1) << false;

    // Centred 3 m from the wall, 2 m across, 1 m along it.
    const ZoneForm oval = ellipse(1, 5, 1);
    QTest::newRow("ellipse: just past its near edge") << oval << near << QPointF(3, 1.05) << true;
    QTest::newRow("ellipse: before its near edge") << oval << near << QPointF(3, 0.95) << false;
    QTest::newRow("ellipse: side, inside") << oval << near << QPointF(3.99, 3) << true;
    QTest::newRow("ellipse: side, outside") << oval << near << QPointF(4.01, 3) << false;
    QTest::newRow("ellipse: 0.7^2 + 0.7^2 < 1") << oval << near << QPointF(3.7, 4.4) << true;
    QTest::newRow("ellipse: 0.75^2 + 0.75^2 > 1") << oval << near << QPointF(3.75, 4.5) << false;
    const ZoneForm behind = ellipse(-1, 3, 1);
    QTest::newRow("ellipse reaching behind: in front") << behind << near << QPointF(3, 0.1) << true;
    QTest::newRow("ellipse reaching behind: cut") << behind << near << QPointF(3, -0.5) << false;

    // From 1 m to 5 m in front, half-widths 1 and 2: 1.5 halfway.
    const Placement nearMiddle{QPointF(5, 0), Side::NearWall};
    const ZoneForm trap = trapezium(1, 5, 1, 2);
    QTest::newRow("trapezium: halfway, inside") << trap << nearMiddle << QPointF(6.45, 3) << true;
    QTest::newRow("trapezium: halfway, outside") << trap << nearMiddle << QPointF(6.55, 3) << false;
    QTest::newRow("trapezium: before the near side") << trap << nearMiddle << QPointF(5, 0.9) << false;
    QTest::newRow("trapezium: past the far side") << trap << nearMiddle << QPointF(5, 5.05) << false;
    QTest::newRow("trapezium: far corner") << trap << nearMiddle << QPointF(6.95, 4.99) << true;
    QTest::newRow("trapezium on the far wall")
        << trap << Placement{QPointF(5, 10), Side::FarWall} << QPointF(6.45, 7) << true;
    const ZoneForm trapBehind = trapezium(-2, 4, 1, 2);
    QTest::newRow("trapezium reaching behind: at the wall")
        << trapBehind << nearMiddle << QPointF(6.3, 0.0) << true;
    QTest::newRow("trapezium reaching behind: cut") << trapBehind << nearMiddle << QPointF(5, -1) << false;
}

void TestPlanCoverage::zoneContains()
{
    QFETCH(ZoneForm, form);
    QFETCH(Placement, placement);
    QFETCH(QPointF, point);
    QFETCH(bool, inside);
    QCOMPARE(plan::zoneContains(form, placement, point), inside);
}

void TestPlanCoverage::cells_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    QTest::newRow("square") << 6.0 << 6.0 << 1000 << 1000;
    QTest::newRow("30 x 12") << 30.0 << 12.0 << 1000 << 400;
    QTest::newRow("wider than long") << 12.0 << 30.0 << 400 << 1000;
    // 2.5 cells of 1 m fit across: halves go up.
    QTest::newRow("half a cell goes up") << 1000.0 << 2.5 << 1000 << 3;
    QTest::newRow("2.4 cells round down") << 1000.0 << 2.4 << 1000 << 2;
    // Half a cell of 1 m across, still one.
    QTest::newRow("1000 x 0.5") << 1000.0 << 0.5 << 1000 << 1;
    QTest::newRow("1000 x 0.1") << 1000.0 << 0.1 << 1000 << 1;
    QTest::newRow("no room") << 0.0 << 5.0 << 0 << 0;
    QTest::newRow("infinite room") << qInf() << 5.0 << 0 << 0;
}

void TestPlanCoverage::cells()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const CellGrid grid = cellGrid(length, width);
    QCOMPARE(grid.columns, columns);
    QCOMPARE(grid.rows, rows);
    if (columns > 0) {
        // The cells are stretched to fill the room exactly.
        QVERIFY(std::abs(grid.cellWidth * columns - length) < 1e-9 * length);
        QVERIFY(std::abs(grid.cellHeight * rows - width) < 1e-9 * length);
    }
}

void TestPlanCoverage::workedExamples_data()
{
    QTest::addColumn<PlanFigures>("figures");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("placed");
    QTest::addColumn<double>("percent");

    const PlanFigures small = ceiling(6, 6, 1.49993);
    QTest::newRow("ceiling 6 x 6 in rows") << small << Arrangement::Rows << 5 << 5 << 85.3;
    QTest::newRow("ceiling 6 x 6 without gaps") << small << Arrangement::NoGaps << 5 << 9 << 100.0;
    QTest::newRow("ceiling 6 x 6 with full overlap") << small << Arrangement::FullOverlap << 5 << 25 << 100.0;
    const PlanFigures hall = ceiling(30, 12, 3);
    QTest::newRow("ceiling 30 x 12 in rows") << hall << Arrangement::Rows << 13 << 13 << 88.7;
    QTest::newRow("ceiling 30 x 12 without gaps") << hall << Arrangement::NoGaps << 13 << 21 << 100.0;
    QTest::newRow("ceiling 30 x 12 edge to edge") << hall << Arrangement::EdgeToEdge << 13 << 10 << 78.6;
    const PlanFigures walls = wall(6, 6, 5, 120);
    QTest::newRow("wall 6 x 6, 2 on one wall") << walls << Arrangement::OneWall << 2 << 2 << 74.8;
    QTest::newRow("wall 6 x 6, 4 on two walls") << walls << Arrangement::TwoWalls << 4 << 4 << 85.6;
    QTest::newRow("round horn 6 x 6, 5 on one wall")
        << horn(calc::Mounting::RoundHorn, 6, 6, 50) << Arrangement::OneWall << 5 << 5 << 71.8;
}

void TestPlanCoverage::workedExamples()
{
    QFETCH(PlanFigures, figures);
    QFETCH(Arrangement, arrangement);
    QFETCH(int, count);
    QFETCH(int, placed);
    QFETCH(double, percent);
    const PlanScene scene = buildScene(figures, arrangement, count);
    QCOMPARE(scene.loudspeakers(), qsizetype(placed));
    const double actual = scene.coverage.percent();
    QVERIFY2(std::abs(actual - percent) <= 0.1, QByteArray::number(actual, 'f', 3));
}

void TestPlanCoverage::areasMatchTheirGeometry_data()
{
    QTest::addColumn<PlanFigures>("figures");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("coveredArea"); // m², from the zones' geometry

    // A room smaller than one zone is covered whole.
    QTest::newRow("room inside one disc") << ceiling(2, 1, 5) << Arrangement::Rows << 1 << 2.0;
    QTest::newRow("one disc in the middle") << ceiling(10, 10, 2) << Arrangement::Rows << 1 << TruePi * 4;
    // One row of cells along the room's centre line, where every disc is
    // 2 m wide.
    QTest::newRow("1000 x 0.5, 10 discs")
        << ceiling(1000, 0.5, 1) << Arrangement::Rows << 10 << 10 * 2.0 * 0.5;
    QTest::newRow("0.5 x 1000, 10 discs")
        << ceiling(0.5, 1000, 1) << Arrangement::Rows << 10 << 10 * 2.0 * 0.5;
    // A sector of 90 degrees (of pi = 3.1415) and radius 3: half its
    // opening times the radius squared.
    QTest::newRow("sector of 90 degrees")
        << wall(20, 20, 3, 90) << Arrangement::OneWall << 1 << calc::degreesToRadians(90) / 2.0 * 9.0;
    // Beyond 180 degrees only the half-disc in front of the wall is in the room.
    QTest::newRow("sector of 270 degrees")
        << wall(20, 20, 3, 270) << Arrangement::OneWall << 1 << TruePi * 9 / 2;
    // The round horn's ellipse: pi times its semi-axes.
    QTest::newRow("ellipse") << horn(calc::Mounting::RoundHorn, 20, 20, 50) << Arrangement::OneWall << 1
                             << TruePi * (5.8095 - 1.2587) / 2 * 2.1838 / 2;
    // The square horn's trapezium, its sides 2 sin(20°) times the beam sides.
    const double h0 = std::sin(calc::degreesToRadians(40) / 2) * 2.0839;
    const double h1 = std::sin(calc::degreesToRadians(40) / 2) * 6;
    QTest::newRow("trapezium") << horn(calc::Mounting::SquareHorn, 20, 20, 50) << Arrangement::OneWall << 1
                               << (h0 + h1) * (5.8095 - 1.2587);
    // Reaching 1.2587 m behind the wall: only the part from the wall on,
    // where the half-width has grown to h0 + (h1 - h0) * 1.2587 / 7.0682.
    const double atWall = h0 + (h1 - h0) * 1.2587 / (5.8095 + 1.2587);
    QTest::newRow("trapezium behind the wall") << horn(calc::Mounting::SquareHorn, 20, 20, 95)
                                               << Arrangement::OneWall << 1 << (atWall + h1) * 5.8095;
    // The ellipse reaching behind: the cap of the ellipse beyond the wall
    // is cut; the share of an ellipse beyond a chord at u = -0.64389 of
    // its semi-axis (with u the offset over the semi-axis) is
    // (acos(u) - u sqrt(1 - u^2)) / pi.
    const double semi = (5.8095 + 1.2587) / 2;
    const double u = (0.0 - (5.8095 - 1.2587) / 2) / semi;
    const double kept = (std::acos(u) - u * std::sqrt(1 - u * u)) / TruePi;
    QTest::newRow("ellipse behind the wall")
        << horn(calc::Mounting::RoundHorn, 20, 20, 95) << Arrangement::OneWall << 1
        << kept * TruePi * semi * 2.1838 / 2;
}

void TestPlanCoverage::areasMatchTheirGeometry()
{
    QFETCH(PlanFigures, figures);
    QFETCH(Arrangement, arrangement);
    QFETCH(int, count);
    QFETCH(double, coveredArea);
    const PlanScene scene = buildScene(figures, arrangement, count);
    const double expected = 100.0 * coveredArea / (figures.roomL * figures.roomW);
    const double actual = scene.coverage.percent();
    QVERIFY2(std::abs(actual - expected) <= 0.1,
             QByteArray::number(actual, 'f', 4) + " % against " + QByteArray::number(expected, 'f', 4)
                 + " %");
}

void TestPlanCoverage::fastMarkingMatchesEveryCell_data()
{
    QTest::addColumn<PlanFigures>("figures");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<int>("count");

    QTest::newRow("discs in rows") << ceiling(12, 7, 1.7) << Arrangement::Rows << 7;
    QTest::newRow("sectors on two walls") << wall(12, 7, 4, 100) << Arrangement::TwoWalls << 5;
    QTest::newRow("wide sectors") << wall(12, 7, 3, 250) << Arrangement::OneWall << 3;
    QTest::newRow("ellipses on two walls")
        << horn(calc::Mounting::RoundHorn, 12, 7, 50) << Arrangement::TwoWalls << 6;
    QTest::newRow("trapezia behind the wall")
        << horn(calc::Mounting::SquareHorn, 12, 7, 95) << Arrangement::TwoWalls << 5;
}

void TestPlanCoverage::fastMarkingMatchesEveryCell()
{
    QFETCH(PlanFigures, figures);
    QFETCH(Arrangement, arrangement);
    QFETCH(int, count);
    const PlanScene scene = buildScene(figures, arrangement, count);
    const CellGrid &grid = scene.coverage.grid;
    qint64 covered = 0;
    qint64 disagreements = 0;
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const QPointF centre((column + 0.5) * grid.cellWidth, (row + 0.5) * grid.cellHeight);
            bool inAny = false;
            for (const Placement &p : scene.layout.placements)
                inAny = inAny || plan::zoneContains(scene.zone, p, centre);
            covered += inAny;
            disagreements += inAny != scene.coverage.isCovered(column, row);
        }
    }
    QCOMPARE(disagreements, qint64(0));
    QCOMPARE(scene.coverage.coveredCells, covered);
    QVERIFY(covered > 0 && covered < grid.cells());
}

void TestPlanCoverage::farWallMirrorsNearWall()
{
    // Two sectors far apart, one on each wall, cover twice what one does.
    const PlanFigures figures = wall(20, 20, 3, 120);
    const double one = buildScene(figures, Arrangement::OneWall, 1).coverage.percent();
    const double two = buildScene(figures, Arrangement::TwoWalls, 2).coverage.percent();
    QVERIFY2(std::abs(two - 2 * one) < 0.02, QByteArray::number(one) + " / " + QByteArray::number(two));
}

void TestPlanCoverage::noZoneNoCoverage()
{
    const PlanScene scene = buildScene(ceiling(10, 10, 0), Arrangement::Rows, 4);
    QCOMPARE(scene.loudspeakers(), qsizetype(4));
    QCOMPARE(scene.coverage.coveredCells, qint64(0));
    QCOMPARE(scene.coverage.percent(), 0.0);
    const FloorCoverage none = floorCoverage(0, 10, disc(1), {});
    QCOMPARE(none.grid.cells(), qint64(0));
    QCOMPARE(none.percent(), 0.0);
}

void TestPlanCoverage::floorImageShowsUncoveredCellsTinted()
{
    const PlanScene scene = buildScene(ceiling(6, 6, 1.49993), Arrangement::Rows, 5);
    const QImage &image = scene.floorImage;
    QCOMPARE(image.size(), QSize(1000, 1000));
    // The corner X = 0, Y = 0 lies beyond every disc: the bottom-left pixel.
    QCOMPARE(QColor(image.pixel(0, 999)), UncoveredFloor);
    // Under the first loudspeaker (1; 1.5): the cell 166 along, 250 up.
    QCOMPARE(QColor(image.pixel(166, 999 - 250)), CoveredFloor);
    // Between the two rows at the far wall's corner X = 6, Y = 6.
    QCOMPARE(QColor(image.pixel(999, 0)), UncoveredFloor);
}

QTEST_APPLESS_MAIN(TestPlanCoverage)
#include "tst_plan_coverage.moc"
