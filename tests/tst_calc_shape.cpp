// The room's shape: its area, perimeter and bounds, whether a point is
// inside, the minimum-area rectangle of its axes and the outlines refused.

#include "calc/shape.h"

#include <QTest>
#include <cmath>

using calc::Shape;

namespace {

constexpr double Pi = 3.14159265358979323846;

std::vector<QPointF> turned(const std::vector<QPointF> &points, double degrees, QPointF shift)
{
    const double a = degrees * Pi / 180.0;
    std::vector<QPointF> out;
    for (const QPointF &p : points)
        out.emplace_back(p.x() * std::cos(a) - p.y() * std::sin(a) + shift.x(),
                         p.x() * std::sin(a) + p.y() * std::cos(a) + shift.y());
    return out;
}

std::vector<QPointF> reversed(std::vector<QPointF> points)
{
    std::reverse(points.begin(), points.end());
    return points;
}

// The L-shaped corridor: 60 x 3 m with a 30 x 3 m leg.
std::vector<QPointF> corridorL()
{
    return {{0, 0}, {60, 0}, {60, 3}, {3, 3}, {3, 30}, {0, 30}};
}

// A 40 x 20 m hall: 30 x 20 m with a half-round end of radius 10 m in 64 segments.
std::vector<QPointF> halfRoundHall()
{
    std::vector<QPointF> points{{0, 0}};
    for (int i = 0; i <= 64; ++i) {
        const double a = -Pi / 2 + Pi * i / 64;
        points.emplace_back(30 + 10 * std::cos(a), 10 + 10 * std::sin(a));
    }
    points.emplace_back(0, 20);
    return points;
}

std::vector<QPointF> concaveU()
{
    return {{0, 0}, {10, 0}, {10, 8}, {7, 8}, {7, 3}, {3, 3}, {3, 8}, {0, 8}};
}

// The least area of an enclosing rectangle found by trying directions a
// hundredth of a degree apart and refining around the best: an oracle that
// knows nothing of calipers.
double bruteForceLeastArea(const std::vector<QPointF> &points)
{
    const auto areaAt = [&](double degrees) {
        const double a = degrees * Pi / 180.0;
        const QPointF u(std::cos(a), std::sin(a)), v(-std::sin(a), std::cos(a));
        double u0 = 1e300, u1 = -1e300, v0 = 1e300, v1 = -1e300;
        for (const QPointF &p : points) {
            const double pu = p.x() * u.x() + p.y() * u.y(), pv = p.x() * v.x() + p.y() * v.y();
            u0 = std::min(u0, pu), u1 = std::max(u1, pu), v0 = std::min(v0, pv), v1 = std::max(v1, pv);
        }
        return (u1 - u0) * (v1 - v0);
    };
    double bestAngle = 0, best = 1e300;
    for (int i = 0; i < 9000; ++i) {
        const double area = areaAt(i / 100.0);
        if (area < best)
            best = area, bestAngle = i / 100.0;
    }
    for (double step = 0.01; step > 1e-9; step /= 2) {
        for (const double a : {bestAngle - step, bestAngle + step}) {
            const double area = areaAt(a);
            if (area < best)
                best = area, bestAngle = a;
        }
    }
    return best;
}

} // namespace

class TestShape : public QObject {
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
    void axesAreTheLeastRectangle();
    void rectangleWithoutOutline();
    void localFrameRoundTrip();
    void containsPoints();
    void refusedOutlines_data();
    void refusedOutlines();
};

void TestShape::figures_data()
{
    QTest::addColumn<QList<QPointF>>("outline");
    QTest::addColumn<double>("area");
    QTest::addColumn<double>("perimeter");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("angle");

    const auto list = [](const std::vector<QPointF> &v) { return QList<QPointF>(v.begin(), v.end()); };
    const std::vector<QPointF> box{{0, 0}, {10, 0}, {10, 4}, {0, 4}};
    QTest::newRow("rectangle turned by 30 degrees")
        << list(turned(box, 30, {100, 50})) << 40.0 << 28.0 << 10.0 << 4.0 << 30.0;
    QTest::newRow("rectangle turned by -60 degrees, clockwise")
        << list(reversed(turned(box, -60, {0, 0}))) << 40.0 << 28.0 << 10.0 << 4.0 << -60.0;
    QTest::newRow("taller than wide")
        << list({{0, 0}, {4, 0}, {4, 6}, {0, 6}}) << 24.0 << 20.0 << 6.0 << 4.0 << 90.0;
    QTest::newRow("L corridor") << list(corridorL()) << 261.0 << 180.0 << 60.0 << 30.0 << 0.0;
    QTest::newRow("L corridor far from the origin")
        << list(turned(corridorL(), 0, {5e6, -3e6})) << 261.0 << 180.0 << 60.0 << 30.0 << 0.0;
    const double halfDisc = 64 * 0.5 * 100 * std::sin(Pi / 64);
    const double arc = 64 * 2 * 10 * std::sin(Pi / 128);
    QTest::newRow("half-round end in 64 segments")
        << list(halfRoundHall()) << 600 + halfDisc << 80 + arc << 40.0 << 20.0 << 0.0;
    QTest::newRow("concave U") << list(concaveU()) << 60.0 << 46.0 << 10.0 << 8.0 << 0.0;
    QTest::newRow("U turned by 45 degrees")
        << list(turned(concaveU(), 45, {0, 0})) << 60.0 << 46.0 << 10.0 << 8.0 << 45.0;
}

void TestShape::figures()
{
    QFETCH(QList<QPointF>, outline);
    QFETCH(double, area);
    QFETCH(double, perimeter);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, angle);
    const std::vector<QPointF> points(outline.begin(), outline.end());
    QCOMPARE(calc::checkOutline(points), calc::OutlineFault::None);
    const Shape shape = Shape::fromOutline(points);
    QVERIFY(std::abs(shape.area() - area) < 1e-6 * area);
    QVERIFY(std::abs(shape.perimeter() - perimeter) < 1e-6 * perimeter);
    QVERIFY2(std::abs(shape.length() - length) < 1e-6, qPrintable(QString::number(shape.length())));
    QVERIFY2(std::abs(shape.width() - width) < 1e-6, qPrintable(QString::number(shape.width())));
    QVERIFY2(std::abs(shape.axes().angleDegrees() - angle) < 1e-6,
             qPrintable(QString::number(shape.axes().angleDegrees())));
    // Kept counter-clockwise whichever way it was given.
    QVERIFY(calc::signedArea(shape.outline()) > 0);
    // The axes' rectangle holds every corner.
    for (const QPointF &p : shape.outline()) {
        const QPointF local = shape.axes().toLocal(p);
        QVERIFY(local.x() > -1e-6 && local.x() < length + 1e-6);
        QVERIFY(local.y() > -1e-6 && local.y() < width + 1e-6);
    }
}

void TestShape::axesAreTheLeastRectangle()
{
    const std::vector<std::vector<QPointF>> outlines{corridorL(),
                                                     halfRoundHall(),
                                                     concaveU(),
                                                     turned(corridorL(), 17, {3, 4}),
                                                     turned(halfRoundHall(), 123, {-8, 2}),
                                                     {{0, 0}, {7, 1}, {9, 5}, {2, 8}, {-1, 3}},
                                                     {{0, 0}, {5, 0}, {5, 2}, {2, 6}, {0, 2}}};
    for (const std::vector<QPointF> &outline : outlines) {
        const Shape shape = Shape::fromOutline(outline);
        const double calipers = shape.length() * shape.width();
        const double brute = bruteForceLeastArea(outline);
        QVERIFY2(calipers <= brute * (1 + 1e-9) && calipers >= brute * (1 - 1e-6),
                 qPrintable(QStringLiteral("%1 against %2").arg(calipers).arg(brute)));
        QVERIFY(shape.length() >= shape.width());
    }
}

void TestShape::rectangleWithoutOutline()
{
    // A room without an outline keeps the floor's own axes, length along X
    // even when the width is larger.
    for (const auto &[l, w] : {std::pair{6.0, 4.0}, std::pair{4.0, 6.0}}) {
        const Shape shape = Shape::rectangle(l, w);
        QVERIFY(shape.isPlainRectangle());
        QVERIFY(shape.axes().isIdentity());
        QCOMPARE(shape.length(), l);
        QCOMPARE(shape.width(), w);
        QCOMPARE(shape.area(), l * w);
        QCOMPARE(shape.bounds(), QRectF(0, 0, l, w));
    }
    QVERIFY(Shape::rectangle(0, 5).isEmpty());
    QVERIFY(Shape::rectangle(std::nan(""), 5).isEmpty());
}

void TestShape::localFrameRoundTrip()
{
    const Shape shape = Shape::fromOutline(turned(corridorL(), 30, {10, -20}));
    const Shape local = shape.inLocalFrame();
    QVERIFY(local.axes().isIdentity());
    QVERIFY(std::abs(local.area() - 261) < 1e-9);
    for (std::size_t i = 0; i < shape.outline().size(); ++i) {
        const QPointF back = shape.axes().toFloor(local.outline()[i]);
        QVERIFY(std::hypot(back.x() - shape.outline()[i].x(), back.y() - shape.outline()[i].y()) < 1e-9);
    }
    // The local outline lies in 0 .. length by 0 .. width.
    QCOMPARE(local.bounds().width() + 1e-9 > 60 && local.bounds().width() < 60 + 1e-9, true);
    QVERIFY(std::abs(local.bounds().left()) < 1e-9 && std::abs(local.bounds().top()) < 1e-9);
}

void TestShape::containsPoints()
{
    const Shape l = Shape::fromOutline(corridorL());
    QVERIFY(l.contains({1, 20}));
    QVERIFY(!l.contains({20, 20}));
    QVERIFY(l.contains({60, 1.5})); // on an edge
    QVERIFY(l.contains({3, 3}));    // on the inner corner
    QVERIFY(!l.contains({-0.001, 1}));
    const Shape u = Shape::fromOutline(concaveU());
    QVERIFY(!u.contains({5, 5}));
    QVERIFY(u.contains({5, 2}));
    QVERIFY(u.contains({8.5, 7.9}));
    QCOMPARE(u.distanceToOutline({5, 1}), 1.0);
    QCOMPARE(u.nearestOnOutline({5, 4}), QPointF(5, 3));
}

void TestShape::refusedOutlines_data()
{
    QTest::addColumn<QList<QPointF>>("outline");
    QTest::addColumn<QString>("reason");
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("bow tie") << QList<QPointF>{{0, 0}, {4, 4}, {4, 0}, {0, 4}}
                             << "контур пересекает сам себя";
    QTest::newRow("corner touching an edge")
        << QList<QPointF>{{0, 0}, {6, 0}, {6, 6}, {3, 0}, {0, 6}} << "контур пересекает сам себя";
    QTest::newRow("corner visited twice")
        << QList<QPointF>{{0, 0}, {2, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}, {0, 2}}
        << "контур пересекает сам себя";
    QTest::newRow("turning back along itself")
        << QList<QPointF>{{0, 0}, {4, 0}, {2, 0}, {2, 3}} << "контур пересекает сам себя";
    QTest::newRow("two points") << QList<QPointF>{{0, 0}, {3, 3}, {0, 0}}
                                << "в контуре меньше трех различных точек";
    QTest::newRow("two distinct points of four")
        << QList<QPointF>{{0, 0}, {3, 3}, {3, 3}, {0, 0}} << "в контуре меньше трех различных точек";
    QTest::newRow("area under 0.01 m2")
        << QList<QPointF>{{0, 0}, {0.1, 0}, {0.1, 0.09}, {0, 0.09}} << "площадь контура меньше 0,01 м2";
    const QString notFinite = "координата контура не является конечным числом не больше 10000000 м по модулю";
    QTest::newRow("not a number") << QList<QPointF>{{0, 0}, {nan, 0}, {1, 1}} << notFinite;
    QTest::newRow("infinite") << QList<QPointF>{{0, 0}, {1, 0}, {1, inf}} << notFinite;
    QTest::newRow("beyond 10^7 m") << QList<QPointF>{{0, 0}, {1.0000001e7, 0}, {1, 1}} << notFinite;
    QTest::newRow("at 10^7 m is taken") << QList<QPointF>{{-1e7, 0}, {1e7, 0}, {1e7, 1e7}} << QString();
    QTest::newRow("closed by repeating the first point is taken")
        << QList<QPointF>{{0, 0}, {1, 0}, {1, 1}, {0, 0}} << QString();
    QTest::newRow("area of exactly 0.01 m2 is taken")
        << QList<QPointF>{{0, 0}, {0.125, 0}, {0.125, 0.08}, {0, 0.08}} << QString();
}

void TestShape::refusedOutlines()
{
    QFETCH(QList<QPointF>, outline);
    QFETCH(QString, reason);
    QCOMPARE(calc::outlineFaultText(calc::checkOutline({outline.begin(), outline.end()})), reason);
}

QTEST_GUILESS_MAIN(TestShape)
#include "tst_calc_shape.moc"
