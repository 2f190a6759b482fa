// Where the loudspeakers go: the rows, the three grids and the walls, with
// the worked examples and the edges (a room smaller than one zone, a single
// loudspeaker, a very long narrow room, grids too large for a plan).
#include "plan/layout.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace plan;

Q_DECLARE_METATYPE(plan::Arrangement)
Q_DECLARE_METATYPE(std::vector<QPointF>)

namespace {

std::vector<QPointF> positions(const std::vector<Placement> &placements)
{
    std::vector<QPointF> points;
    for (const Placement &p : placements)
        points.push_back(p.position);
    return points;
}

bool samePoints(const std::vector<QPointF> &a, const std::vector<QPointF> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::abs(a[i].x() - b[i].x()) > 1e-9 || std::abs(a[i].y() - b[i].y()) > 1e-9)
            return false;
    }
    return true;
}

QByteArray describe(const std::vector<QPointF> &points)
{
    QByteArray text;
    for (const QPointF &p : points)
        text += '(' + QByteArray::number(p.x()) + "; " + QByteArray::number(p.y()) + ") ";
    return text;
}

// Whether discs of radius r at the points leave a point of the room's floor
// uncovered, probed on a fine lattice that includes the walls and corners.
bool leavesGap(double length, double width, double r, const std::vector<QPointF> &points)
{
    const int steps = 120;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            const QPointF probe(length * i / steps, width * j / steps);
            bool covered = false;
            for (const QPointF &p : points) {
                const QPointF d = probe - p;
                if (d.x() * d.x() + d.y() * d.y() <= r * r * (1.0 + 1e-9)) {
                    covered = true;
                    break;
                }
            }
            if (!covered)
                return true;
        }
    }
    return false;
}

// The fewest loudspeakers of a grid without gaps, searched along the
// columns (the layout searches along the rows): for each number of columns
// the fewest rows whose cell diagonal is at most the diameter.
double fewestWithoutGaps(double length, double width, double radius)
{
    const double d2 = 4.0 * radius * radius * (1.0 + 1e-9);
    const auto covers = [&](double columns, double rows) {
        const double dx = length / columns;
        const double dy = width / rows;
        return dx * dx + dy * dy <= d2;
    };
    const double leastRows = std::ceil(width / (2.0 * radius) - 1e-9);
    double best = qInf();
    for (double columns = std::ceil(length / (2.0 * radius) - 1e-9); columns * leastRows < best; ++columns) {
        const double dx = length / columns;
        if (dx * dx >= d2)
            continue;
        double rows = std::max(1.0, std::ceil(width / std::sqrt(d2 - dx * dx)));
        while (rows > 1 && covers(columns, rows - 1))
            --rows;
        while (!covers(columns, rows))
            ++rows;
        best = std::min(best, columns * rows);
    }
    return best;
}

} // namespace

class TestPlanLayout : public QObject {
    Q_OBJECT

private slots:
    void rowCountRounds_data();
    void rowCountRounds();
    void rowsPlaceEveryLoudspeaker_data();
    void rowsPlaceEveryLoudspeaker();
    void rowsFillFullerRowsFirst();

    void grids_data();
    void grids();
    void noGapsGridIsTheSmallestWithoutGaps_data();
    void noGapsGridIsTheSmallestWithoutGaps();
    void gridPositionsAreCellCentres();
    void gridsRefuseWhatAPlanCannotHold();

    void walls_data();
    void walls();

    void layOutPitchTellsTheNearestNeighbour_data();
    void layOutPitchTellsTheNearestNeighbour();
    void layOutWithoutRoomOrRadius_data();
    void layOutWithoutRoomOrRadius();
    void layOutClampsTheCount();
    void layOutSaysWhatItNeeds_data();
    void layOutSaysWhatItNeeds();
    void noGapsNeedBeyondThePlan_data();
    void noGapsNeedBeyondThePlan();
    void noGapsNeedOfARoomTooLargeToSearch();
    void arrangementsOfEachMounting();
};

void TestPlanLayout::rowCountRounds_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("rows");

    // sqrt(5) = 2.24 rounds to 2.
    QTest::newRow("6 x 6, 5") << 6.0 << 6.0 << 5 << 2;
    // sqrt(13 * 12 / 30) = sqrt(5.2) = 2.28.
    QTest::newRow("30 x 12, 13") << 30.0 << 12.0 << 13 << 2;
    // sqrt(2 * 4.5 / 4) = sqrt(2.25) = 1.5 exactly: halves go up.
    QTest::newRow("half goes up") << 4.0 << 4.5 << 2 << 2;
    // sqrt(1 * 0.5 / 1000) is almost 0: at least one row.
    QTest::newRow("long narrow room") << 1000.0 << 0.5 << 1 << 1;
    // sqrt(3 * 100 / 1) = 17.3, but there are only 3 loudspeakers.
    QTest::newRow("at most the count") << 1.0 << 100.0 << 3 << 3;
    QTest::newRow("single loudspeaker") << 10.0 << 10.0 << 1 << 1;
}

void TestPlanLayout::rowCountRounds()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(int, count);
    QFETCH(int, rows);
    QCOMPARE(rowCount(length, width, count), rows);
}

void TestPlanLayout::rowsPlaceEveryLoudspeaker_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<std::vector<QPointF>>("expected");

    // The worked example: 3 + 2 in a 6 x 6 m room.
    QTest::newRow("6 x 6, 5") << 6.0 << 6.0 << 5
                              << std::vector<QPointF>{{1, 1.5}, {3, 1.5}, {5, 1.5}, {1.5, 4.5}, {4.5, 4.5}};
    QTest::newRow("single loudspeaker in the middle") << 8.0 << 4.0 << 1 << std::vector<QPointF>{{4, 2}};
    // One row along a long narrow room, on its centre line.
    QTest::newRow("1000 x 0.5, 4") << 1000.0 << 0.5 << 4
                                   << std::vector<QPointF>{
                                          {125, 0.25}, {375, 0.25}, {625, 0.25}, {875, 0.25}};
    // 9 in a square: 3 rows of 3.
    QTest::newRow("9 in 3 rows") << 9.0 << 9.0 << 9
                                 << std::vector<QPointF>{{1.5, 1.5}, {4.5, 1.5}, {7.5, 1.5},
                                                         {1.5, 4.5}, {4.5, 4.5}, {7.5, 4.5},
                                                         {1.5, 7.5}, {4.5, 7.5}, {7.5, 7.5}};
}

void TestPlanLayout::rowsPlaceEveryLoudspeaker()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(int, count);
    QFETCH(std::vector<QPointF>, expected);
    const std::vector<Placement> placements = rowsLayout(length, width, count);
    const std::vector<QPointF> actual = positions(placements);
    QVERIFY2(samePoints(actual, expected), describe(actual).constData());
    for (const Placement &p : placements)
        QCOMPARE(p.side, Side::Ceiling);
}

void TestPlanLayout::rowsFillFullerRowsFirst()
{
    // 30 x 12 m, 13 loudspeakers: 2 rows, the first with 7, the second with 6.
    const std::vector<Placement> placements = rowsLayout(30, 12, 13);
    QCOMPARE(placements.size(), std::size_t(13));
    int first = 0;
    int second = 0;
    for (const Placement &p : placements) {
        if (std::abs(p.position.y() - 3.0) < 1e-9)
            ++first;
        else if (std::abs(p.position.y() - 9.0) < 1e-9)
            ++second;
    }
    QCOMPARE(first, 7);
    QCOMPARE(second, 6);
    // The fourth of seven sits in the middle of the room's length.
    QCOMPARE(placements[3].position, QPointF(15, 3));
}

void TestPlanLayout::grids_data()
{
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::addColumn<qint64>("columns");
    QTest::addColumn<qint64>("rows");

    // The worked examples.
    QTest::newRow("no gaps 6 x 6") << Arrangement::NoGaps << 6.0 << 6.0 << 1.49993 << qint64(3) << qint64(3);
    QTest::newRow("full overlap 6 x 6")
        << Arrangement::FullOverlap << 6.0 << 6.0 << 1.49993 << qint64(5) << qint64(5);
    QTest::newRow("no gaps 30 x 12") << Arrangement::NoGaps << 30.0 << 12.0 << 3.0 << qint64(7) << qint64(3);
    QTest::newRow("edge to edge 30 x 12")
        << Arrangement::EdgeToEdge << 30.0 << 12.0 << 3.0 << qint64(5) << qint64(2);
    QTest::newRow("full overlap 30 x 12")
        << Arrangement::FullOverlap << 30.0 << 12.0 << 3.0 << qint64(10) << qint64(4);
    // A room smaller than one disc: one loudspeaker does.
    QTest::newRow("no gaps, small room")
        << Arrangement::NoGaps << 2.0 << 1.0 << 5.0 << qint64(1) << qint64(1);
    QTest::newRow("edge to edge, small room")
        << Arrangement::EdgeToEdge << 2.0 << 1.0 << 5.0 << qint64(1) << qint64(1);
    QTest::newRow("full overlap, small room")
        << Arrangement::FullOverlap << 2.0 << 1.0 << 5.0 << qint64(1) << qint64(1);
    // Exact fits take no extra column: 6 / 1.2 is 5 although binary
    // arithmetic makes it a little more.
    QTest::newRow("edge to edge, exact fit")
        << Arrangement::EdgeToEdge << 6.0 << 2.4 << 0.6 << qint64(5) << qint64(2);
    // A very long narrow room: one row.
    QTest::newRow("no gaps 1000 x 0.5")
        << Arrangement::NoGaps << 1000.0 << 0.5 << 1.0 << qint64(517) << qint64(1);
    QTest::newRow("edge to edge 1000 x 0.5")
        << Arrangement::EdgeToEdge << 1000.0 << 0.5 << 1.0 << qint64(500) << qint64(1);
    // Square room, 2 x 3 and 3 x 2 both without gaps for r = 3.1 (5^2 +
    // 3.33^2 = 36.1 <= 38.44) while no grid of 4 or 5 is: equal spacing
    // differences, so the one with fewer columns.
    QTest::newRow("tie: fewer columns")
        << Arrangement::NoGaps << 10.0 << 10.0 << 3.1 << qint64(2) << qint64(3);
    // 12 x 8 m, r = 3.4 (4 r^2 = 46.24): 3 x 2 (spacings 4 and 4) and
    // 2 x 3 (6 and 2.67) both cover; no grid of 4 or 5 does. The equal
    // spacings win over the fewer columns.
    QTest::newRow("tie: closer spacings")
        << Arrangement::NoGaps << 12.0 << 8.0 << 3.4 << qint64(3) << qint64(2);
}

void TestPlanLayout::grids()
{
    QFETCH(Arrangement, arrangement);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    QFETCH(qint64, columns);
    QFETCH(qint64, rows);
    const std::optional<GridSize> grid = arrangement == Arrangement::NoGaps
        ? noGapsGrid(length, width, radius)
        : arrangement == Arrangement::EdgeToEdge ? edgeToEdgeGrid(length, width, radius)
                                                 : fullOverlapGrid(length, width, radius);
    QVERIFY(grid);
    QCOMPARE(grid->columns, columns);
    QCOMPARE(grid->rows, rows);

    const Layout layout = layOut(arrangement, length, width, radius, 1);
    QCOMPARE(qint64(layout.placements.size()), columns * rows);
    QVERIFY(!layout.tooMany);
}

void TestPlanLayout::noGapsGridIsTheSmallestWithoutGaps_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");

    QTest::newRow("6 x 6, r 1.49993") << 6.0 << 6.0 << 1.49993;
    QTest::newRow("30 x 12, r 3") << 30.0 << 12.0 << 3.0;
    QTest::newRow("17 x 5, r 2.2") << 17.0 << 5.0 << 2.2;
    QTest::newRow("7.5 x 9.3, r 1.7") << 7.5 << 9.3 << 1.7;
    QTest::newRow("40 x 3, r 4") << 40.0 << 3.0 << 4.0;
}

void TestPlanLayout::noGapsGridIsTheSmallestWithoutGaps()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    const std::optional<GridSize> grid = noGapsGrid(length, width, radius);
    QVERIFY(grid);
    // Its discs reach every point of the floor...
    const std::vector<QPointF> points = positions(gridLayout(length, width, *grid));
    QVERIFY(!leavesGap(length, width, radius, points));
    // ...and every grid with fewer loudspeakers leaves a gap.
    for (qint64 columns = 1; columns <= grid->count(); ++columns) {
        for (qint64 rows = 1; double(columns * rows) < grid->count(); ++rows) {
            const std::vector<QPointF> fewer = positions(gridLayout(length, width, GridSize{columns, rows}));
            QVERIFY2(leavesGap(length, width, radius, fewer),
                     QByteArray::number(columns) + " x " + QByteArray::number(rows) + " has no gap");
        }
    }
}

void TestPlanLayout::gridPositionsAreCellCentres()
{
    const std::vector<QPointF> points = positions(gridLayout(30, 12, GridSize{5, 2}));
    const std::vector<QPointF> expected{{3, 3}, {9, 3}, {15, 3}, {21, 3}, {27, 3},
                                        {3, 9}, {9, 9}, {15, 9}, {21, 9}, {27, 9}};
    QVERIFY2(samePoints(points, expected), describe(points).constData());
}

void TestPlanLayout::gridsRefuseWhatAPlanCannotHold()
{
    // 1000 x 1000 m with discs of 1 m one radius apart: a million loudspeakers.
    const Layout huge = layOut(Arrangement::FullOverlap, 1000, 1000, 1, 5);
    QVERIFY(huge.tooMany);
    QVERIFY(huge.placements.empty());
    QVERIFY(!noGapsGrid(1000, 1000, 1));
    // Just within the limit: 200 x 100 m at 1 m spacing, 20 000 of them.
    const Layout hall = layOut(Arrangement::FullOverlap, 200, 100, 1, 5);
    QVERIFY(!hall.tooMany);
    QCOMPARE(hall.placements.size(), std::size_t(20000));
    // Absurd sizes give no grid and no overflow.
    const std::optional<GridSize> absurd = fullOverlapGrid(1e300, 1e300, 1e-300);
    QVERIFY(absurd);
    QVERIFY(absurd->count() > MaxLoudspeakers);
    QVERIFY(layOut(Arrangement::FullOverlap, 1e300, 1e300, 1e-300, 5).tooMany);
}

void TestPlanLayout::walls_data()
{
    QTest::addColumn<bool>("twoWalls");
    QTest::addColumn<int>("count");
    QTest::addColumn<std::vector<QPointF>>("expected");
    QTest::addColumn<int>("onNearWall");

    QTest::newRow("2 on one wall") << false << 2 << std::vector<QPointF>{{1.5, 0}, {4.5, 0}} << 2;
    QTest::newRow("5 on one wall") << false << 5
                                   << std::vector<QPointF>{{0.6, 0}, {1.8, 0}, {3.0, 0}, {4.2, 0}, {5.4, 0}}
                                   << 5;
    QTest::newRow("4 on two walls") << true << 4
                                    << std::vector<QPointF>{{1.5, 0}, {4.5, 0}, {1.5, 6}, {4.5, 6}} << 2;
    // The odd one goes to the wall Y = 0.
    QTest::newRow("3 on two walls") << true << 3 << std::vector<QPointF>{{1.5, 0}, {4.5, 0}, {3, 6}} << 2;
    QTest::newRow("1 on two walls") << true << 1 << std::vector<QPointF>{{3, 0}} << 1;
    QTest::newRow("1 on one wall") << false << 1 << std::vector<QPointF>{{3, 0}} << 1;
}

void TestPlanLayout::walls()
{
    QFETCH(bool, twoWalls);
    QFETCH(int, count);
    QFETCH(std::vector<QPointF>, expected);
    QFETCH(int, onNearWall);
    const std::vector<Placement> placements = wallLayout(6, 6, count, twoWalls);
    const std::vector<QPointF> actual = positions(placements);
    QVERIFY2(samePoints(actual, expected), describe(actual).constData());
    for (std::size_t i = 0; i < placements.size(); ++i)
        QCOMPARE(placements[i].side, int(i) < onNearWall ? Side::NearWall : Side::FarWall);
}

void TestPlanLayout::layOutPitchTellsTheNearestNeighbour_data()
{
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("radius");

    QTest::newRow("rows 6 x 6, 5") << Arrangement::Rows << 6.0 << 6.0 << 5 << 1.5;
    QTest::newRow("rows 30 x 12, 13") << Arrangement::Rows << 30.0 << 12.0 << 13 << 3.0;
    QTest::newRow("rows, one") << Arrangement::Rows << 30.0 << 12.0 << 1 << 3.0;
    QTest::newRow("no gaps 30 x 12") << Arrangement::NoGaps << 30.0 << 12.0 << 13 << 3.0;
    QTest::newRow("edge to edge 1000 x 0.5") << Arrangement::EdgeToEdge << 1000.0 << 0.5 << 1 << 1.0;
    QTest::newRow("one wall, 5") << Arrangement::OneWall << 6.0 << 6.0 << 5 << 0.0;
    QTest::newRow("two walls, 4") << Arrangement::TwoWalls << 20.0 << 3.0 << 4 << 0.0;
}

void TestPlanLayout::layOutPitchTellsTheNearestNeighbour()
{
    QFETCH(Arrangement, arrangement);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(int, count);
    QFETCH(double, radius);
    const Layout layout = layOut(arrangement, length, width, radius, count);
    QVERIFY(!layout.placements.empty());
    double nearest = std::max(length, width);
    for (std::size_t i = 0; i < layout.placements.size(); ++i) {
        for (std::size_t j = i + 1; j < layout.placements.size(); ++j) {
            const QPointF d = layout.placements[i].position - layout.placements[j].position;
            nearest = std::min(nearest, std::sqrt(d.x() * d.x() + d.y() * d.y()));
        }
    }
    // The pitch never exceeds the nearest pair, and for these regular
    // layouts it is that distance.
    QVERIFY2(std::abs(layout.pitch - nearest) < 1e-9,
             QByteArray::number(layout.pitch) + " vs " + QByteArray::number(nearest));
}

void TestPlanLayout::layOutWithoutRoomOrRadius_data()
{
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");

    QTest::newRow("no length") << Arrangement::Rows << 0.0 << 5.0 << 1.0;
    QTest::newRow("no width") << Arrangement::OneWall << 5.0 << 0.0 << 1.0;
    QTest::newRow("negative") << Arrangement::TwoWalls << -5.0 << 5.0 << 1.0;
    QTest::newRow("infinite") << Arrangement::Rows << qInf() << 5.0 << 1.0;
    QTest::newRow("not a number") << Arrangement::NoGaps << qQNaN() << 5.0 << 1.0;
    QTest::newRow("grid without radius") << Arrangement::NoGaps << 5.0 << 5.0 << 0.0;
    QTest::newRow("grid with negative radius") << Arrangement::EdgeToEdge << 5.0 << 5.0 << -1.0;
    QTest::newRow("grid with infinite radius") << Arrangement::FullOverlap << 5.0 << 5.0 << qInf();
}

void TestPlanLayout::layOutWithoutRoomOrRadius()
{
    QFETCH(Arrangement, arrangement);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    const Layout layout = layOut(arrangement, length, width, radius, 5);
    QVERIFY(layout.placements.empty());
    QVERIFY(!layout.tooMany);
}

void TestPlanLayout::layOutClampsTheCount()
{
    QCOMPARE(layOut(Arrangement::Rows, 10, 10, 1, 0).placements.size(), std::size_t(1));
    QCOMPARE(layOut(Arrangement::OneWall, 10, 10, 1, -7).placements.size(), std::size_t(1));
    QCOMPARE(layOut(Arrangement::Rows, 10, 10, 1, MaxLoudspeakers + 5).placements.size(),
             std::size_t(MaxLoudspeakers));
}

void TestPlanLayout::layOutSaysWhatItNeeds_data()
{
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("needed");
    QTest::addColumn<bool>("atLeast");
    QTest::addColumn<int>("placed");

    QTest::newRow("rows above the limit")
        << Arrangement::Rows << 200.0 << 100.0 << 1.0 << 150000.0 << 150000.0 << false << MaxLoudspeakers;
    QTest::newRow("rows, count rounded")
        << Arrangement::Rows << 10.0 << 10.0 << 1.0 << 7.5 << 8.0 << false << 8;
    QTest::newRow("rows, no count") << Arrangement::Rows << 10.0 << 10.0 << 1.0 << 0.0 << 1.0 << false << 1;
    QTest::newRow("one wall above the limit")
        << Arrangement::OneWall << 200.0 << 10.0 << 1.0 << 1e6 << 1e6 << false << MaxLoudspeakers;
    QTest::newRow("two walls within")
        << Arrangement::TwoWalls << 30.0 << 12.0 << 1.0 << 13.0 << 13.0 << false << 13;
    QTest::newRow("full overlap above")
        << Arrangement::FullOverlap << 1000.0 << 1000.0 << 1.0 << 5.0 << 1e6 << false << 0;
    QTest::newRow("edge to edge above")
        << Arrangement::EdgeToEdge << 1001.0 << 1000.0 << 1.0 << 5.0 << 501.0 * 500.0 << false << 0;
    QTest::newRow("edge to edge within")
        << Arrangement::EdgeToEdge << 30.0 << 12.0 << 3.0 << 5.0 << 10.0 << false << 10;
    QTest::newRow("absurd grid") << Arrangement::FullOverlap << 1e300 << 1e300 << 1e-300 << 5.0
                                 << std::numeric_limits<double>::max() << true << 0;
}

// Every layout says how many loudspeakers it needs, also where it places
// fewer or none.
void TestPlanLayout::layOutSaysWhatItNeeds()
{
    QFETCH(Arrangement, arrangement);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    QFETCH(double, count);
    QFETCH(double, needed);
    QFETCH(bool, atLeast);
    QFETCH(int, placed);
    const Layout layout = layOut(arrangement, length, width, radius, count);
    QCOMPARE(layout.needed.count, needed);
    QCOMPARE(layout.needed.atLeast, atLeast);
    QCOMPARE(layout.placements.size(), std::size_t(placed));
    QCOMPARE(layout.tooMany, placed == 0);
    QCOMPARE(layout.limited(), placed > 0 && needed > placed);
}

void TestPlanLayout::noGapsNeedBeyondThePlan_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");

    QTest::newRow("within the plan: 30 x 12, r 3") << 30.0 << 12.0 << 3.0;
    QTest::newRow("1000 x 1000, r 1") << 1000.0 << 1000.0 << 1.0;
    QTest::newRow("3000 x 400, r 1.5") << 3000.0 << 400.0 << 1.5;
    QTest::newRow("400 x 3000, r 1.5") << 400.0 << 3000.0 << 1.5;
    QTest::newRow("1234.5 x 987.6, r 0.9") << 1234.5 << 987.6 << 0.9;
}

// The grid without gaps is counted whether or not a plan holds it, and the
// count agrees with a search along the other side.
void TestPlanLayout::noGapsNeedBeyondThePlan()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    const Need need = noGapsNeed(length, width, radius);
    QVERIFY(!need.atLeast);
    QCOMPARE(need.count, fewestWithoutGaps(length, width, radius));
    const Layout layout = layOut(Arrangement::NoGaps, length, width, radius, 1);
    QCOMPARE(layout.needed.count, need.count);
    QCOMPARE(layout.tooMany, need.count > MaxLoudspeakers);
    if (!layout.tooMany)
        QCOMPARE(double(layout.placements.size()), need.count);
}

// A room far too large to search gets a true lower bound: no grid without
// gaps has cells larger than half the diameter squared.
void TestPlanLayout::noGapsNeedOfARoomTooLargeToSearch()
{
    const Need need = noGapsNeed(1e7, 1e7, 0.5);
    QVERIFY(need.atLeast);
    QVERIFY(need.count <= 2e14);
    QVERIFY(need.count > 1.999e14);
    const Need absurd = noGapsNeed(1e300, 1e300, 1e-300);
    QVERIFY(absurd.atLeast);
    QCOMPARE(absurd.count, std::numeric_limits<double>::max());
}

void TestPlanLayout::arrangementsOfEachMounting()
{
    const std::vector<Arrangement> ceiling = arrangementsFor(calc::Mounting::Ceiling);
    QStringList names;
    for (Arrangement a : ceiling)
        names << arrangementName(a);
    QCOMPARE(names, QStringList({"рядами", "без пропусков", "край к краю", "с полным перекрытием"}));
    for (calc::Mounting mounting :
         {calc::Mounting::Wall, calc::Mounting::RoundHorn, calc::Mounting::SquareHorn}) {
        QStringList wallNames;
        for (Arrangement a : arrangementsFor(mounting)) {
            wallNames << arrangementName(a);
            QVERIFY(!isGrid(a));
        }
        QCOMPARE(wallNames, QStringList({"на одной стене", "на двух стенах"}));
    }
    QVERIFY(!isGrid(Arrangement::Rows));
    QVERIFY(isGrid(Arrangement::NoGaps) && isGrid(Arrangement::EdgeToEdge)
            && isGrid(Arrangement::FullOverlap));
}

QTEST_APPLESS_MAIN(TestPlanLayout)
#include "tst_plan_layout.moc"
