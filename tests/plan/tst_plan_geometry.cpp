// The plan's geometry in metres: what each layer holds for a rectangle and
// an L, and the DXF drawing written from it entity for entity.
#include "dxfdrawing.h"

#include "plan/dxfexport.h"
#include "plan/plangeometry.h"

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QTest>
#include <cmath>

using namespace plan;
using namespace dxfdrawing;

namespace {

ZoneForm disc(double radius)
{
    ZoneForm z;
    z.shape = ZoneShape::Disc;
    z.radius = radius;
    return z;
}

const QPolygonF LCorridor({{0, 0}, {60, 0}, {60, 3}, {3, 3}, {3, 30}, {0, 30}});

PlanContent content(double length, double width, const QPolygonF &outline, const QList<QPointF> &at,
                    const ZoneForm &zone)
{
    PlanContent c;
    c.length = length;
    c.width = width;
    if (!outline.isEmpty())
        c.shape = calc::Shape::fromOutline(std::vector<QPointF>(outline.begin(), outline.end()));
    for (const QPointF &position : at)
        c.placements.push_back(Placement{position});
    c.zone = zone;
    return c;
}

// Whether p lies in the room: in its bounds, and for the L not inside its
// notch (X > 3 and Y > 3), each with a micrometre's slack.
bool inRoom(QPointF p, double length, double width, bool lShaped)
{
    const double slack = 1e-6;
    if (p.x() < -slack || p.y() < -slack || p.x() > length + slack || p.y() > width + slack)
        return false;
    return !(lShaped && p.x() > 3 + slack && p.y() > 3 + slack);
}

bool near(QPointF a, QPointF b, double tolerance = 1e-9)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT

private slots:
    void layers_data();
    void layers();
    void dxfIsTheGeometry_data();
    void dxfIsTheGeometry();
    void titleOnlyWhereGiven();
};

void TestGeometry::layers_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<QPolygonF>("outline"); // empty: the rectangle
    QTest::addColumn<QList<QPointF>>("at");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPolygonF>("corners");
    QTest::addColumn<int>("zoneCircles");
    QTest::addColumn<int>("zonePolylines");
    QTest::addColumn<QString>("lengthText");
    QTest::addColumn<QString>("widthText");

    const QList<QPointF> six{{2, 2}, {6, 2}, {10, 2}, {2, 6}, {6, 6}, {10, 6}};
    const QPolygonF box({{0, 0}, {12, 0}, {12, 8}, {0, 8}});
    // Discs of 1.5 m stay inside the 12 x 8 m room; of 2.5 m they all
    // reach a wall.
    QTest::newRow("rectangle, discs inside")
        << 12.0 << 8.0 << QPolygonF() << six << 1.5 << box << 6 << 0 << "12 м"
        << "8 м";
    QTest::newRow("rectangle, discs cut")
        << 12.0 << 8.0 << QPolygonF() << six << 2.5 << box << 0 << 6 << "12 м"
        << "8 м";
    const QList<QPointF> along{{1.5, 1.5}, {10, 1.5}, {30, 1.5}, {1.5, 20}};
    // In the 3 m wide corridor a 1 m disc on its middle line fits, a 2 m
    // one does not.
    QTest::newRow("L, discs inside") << 60.0 << 30.0 << LCorridor << along << 1.0 << LCorridor << 4 << 0
                                     << "60 м"
                                     << "30 м";
    QTest::newRow("L, discs cut") << 60.0 << 30.0 << LCorridor << along << 2.0 << LCorridor << 0 << 4
                                  << "60 м"
                                  << "30 м";
    QTest::newRow("L, no loudspeakers")
        << 60.0 << 30.0 << LCorridor << QList<QPointF>() << 2.0 << LCorridor << 0 << 0 << "60 м"
        << "30 м";
}

void TestGeometry::layers()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(QPolygonF, outline);
    QFETCH(QList<QPointF>, at);
    QFETCH(double, radius);
    QFETCH(QPolygonF, corners);
    QFETCH(int, zoneCircles);
    QFETCH(int, zonePolylines);
    QFETCH(QString, lengthText);
    QFETCH(QString, widthText);
    const bool lShaped = !outline.isEmpty();

    const PlanGeometry g = planGeometry(content(length, width, outline, at, disc(radius)));

    // One closed outline with the room's corners, nothing else on its layer.
    const std::vector<geometry::Polyline> room = g.polylines(dxf::RoomLayer);
    QCOMPARE(room.size(), std::size_t(1));
    QVERIFY(room[0].closed);
    QCOMPARE(room[0].points.size(), corners.size());
    for (qsizetype i = 0; i < corners.size(); ++i)
        QVERIFY2(near(room[0].points[i], corners[i]), qPrintable(QString::number(i)));
    QVERIFY(g.circles(dxf::RoomLayer).empty());
    QVERIFY(g.texts(dxf::RoomLayer).empty());

    // A circle of 0.1 m at each loudspeaker and its number beside it.
    const std::vector<geometry::Circle> marks = g.circles(dxf::LoudspeakerLayer);
    const std::vector<geometry::Text> numbers = g.texts(dxf::LoudspeakerLayer);
    QCOMPARE(marks.size(), std::size_t(at.size()));
    QCOMPARE(numbers.size(), std::size_t(at.size()));
    for (qsizetype i = 0; i < at.size(); ++i) {
        QVERIFY(near(marks[std::size_t(i)].centre, at[i]));
        QCOMPARE(marks[std::size_t(i)].radius, 0.1);
        QCOMPARE(numbers[std::size_t(i)].text, QString::number(i + 1));
        const QPointF offset = numbers[std::size_t(i)].anchor - at[i];
        QVERIFY(offset.x() > 0.0 && offset.x() < 0.3 && offset.y() > 0.0 && offset.y() < 0.3);
        QCOMPARE(numbers[std::size_t(i)].height, 0.25);
    }
    QVERIFY(g.polylines(dxf::LoudspeakerLayer).empty());

    // The zones: whole discs as circles, cut ones as closed polylines
    // inside the room.
    const std::vector<geometry::Circle> discs = g.circles(dxf::ZoneLayer);
    const std::vector<geometry::Polyline> cut = g.polylines(dxf::ZoneLayer);
    QCOMPARE(int(discs.size()), zoneCircles);
    QCOMPARE(int(cut.size()), zonePolylines);
    for (std::size_t i = 0; i < discs.size(); ++i) {
        QVERIFY(near(discs[i].centre, at[qsizetype(i)]));
        QCOMPARE(discs[i].radius, radius);
    }
    for (const geometry::Polyline &zone : cut) {
        QVERIFY(zone.closed);
        QVERIFY(zone.points.size() >= 3);
        QVERIFY(zone.points.first() != zone.points.last()); // each corner once
        for (const QPointF &p : zone.points)
            QVERIFY2(inRoom(p, length, width, lShaped),
                     qPrintable(QStringLiteral("%1; %2").arg(p.x()).arg(p.y())));
    }

    // The extent along X under the room, along Y left of it, turned.
    const std::vector<geometry::Text> dimensions = g.texts(dxf::DimensionLayer);
    QCOMPARE(dimensions.size(), std::size_t(2));
    QCOMPARE(dimensions[0].text, lengthText);
    QVERIFY(dimensions[0].anchor.y() < 0.0);
    QCOMPARE(dimensions[0].anchor.x(), length / 2.0);
    QCOMPARE(dimensions[1].text, widthText);
    QVERIFY(dimensions[1].anchor.x() < 0.0);
    QCOMPARE(dimensions[1].anchor.y(), width / 2.0);
    QCOMPARE(dimensions[1].angle, M_PI / 2.0);
    QVERIFY(g.texts(dxf::TitleLayer).empty());
}

void TestGeometry::dxfIsTheGeometry_data()
{
    layers_data();
}

// The drawing holds the geometry's entities and no others: the same count
// per layer and kind, and each at the geometry's coordinates in millimetres.
void TestGeometry::dxfIsTheGeometry()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(QPolygonF, outline);
    QFETCH(QList<QPointF>, at);
    QFETCH(double, radius);

    PlanContent c = content(length, width, outline, at, disc(radius));
    c.title = QStringLiteral("Объект, помещение 1");
    const PlanGeometry g = planGeometry(c);
    const Drawing drawing = readDrawing(dxfBytes(c));
    QVERIFY(drawing.endsWithEof);

    std::size_t primitives = 0;
    for (const QString &layer :
         {dxf::RoomLayer, dxf::LoudspeakerLayer, dxf::ZoneLayer, dxf::DimensionLayer, dxf::TitleLayer}) {
        const std::vector<geometry::Polyline> lines = g.polylines(layer);
        const std::vector<geometry::Circle> circles = g.circles(layer);
        const std::vector<geometry::Text> texts = g.texts(layer);
        const std::vector<Record> dxfLines = drawing.on(layer, "LWPOLYLINE");
        const std::vector<Record> dxfCircles = drawing.on(layer, "CIRCLE");
        const std::vector<Record> dxfTexts = drawing.on(layer, "TEXT");
        QCOMPARE(dxfLines.size(), lines.size());
        QCOMPARE(dxfCircles.size(), circles.size());
        QCOMPARE(dxfTexts.size(), texts.size());
        primitives += lines.size() + circles.size() + texts.size();

        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::vector<double> xs = dxfLines[i].numbers(10);
            const std::vector<double> ys = dxfLines[i].numbers(20);
            QCOMPARE(qsizetype(xs.size()), lines[i].points.size());
            QCOMPARE(ys.size(), xs.size());
            QCOMPARE(dxfLines[i].number(70) == 1.0, lines[i].closed);
            for (std::size_t k = 0; k < xs.size(); ++k)
                QVERIFY(near(QPointF(xs[k], ys[k]), lines[i].points[qsizetype(k)] * 1000.0, 1e-3));
        }
        for (std::size_t i = 0; i < circles.size(); ++i) {
            QVERIFY(near(QPointF(dxfCircles[i].number(10), dxfCircles[i].number(20)),
                         circles[i].centre * 1000.0, 1e-3));
            QCOMPARE(dxfCircles[i].number(40), circles[i].radius * 1000.0);
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            QCOMPARE(decoded(dxfTexts[i].value(1)), texts[i].text);
            QVERIFY(near(QPointF(dxfTexts[i].number(10), dxfTexts[i].number(20)), texts[i].anchor * 1000.0,
                         1e-3));
            QVERIFY(std::abs(dxfTexts[i].number(40) - texts[i].height * 1000.0) <= 1e-3);
        }
    }
    // Nothing of the drawing's own beside the geometry.
    QCOMPARE(drawing.entities.size(), primitives);
    QCOMPARE(primitives, g.primitives.size());
}

void TestGeometry::titleOnlyWhereGiven()
{
    PlanContent c = content(12, 8, QPolygonF(), {{2, 2}}, disc(1));
    c.title = QStringLiteral("Склад №2");
    const PlanGeometry g = planGeometry(c);
    const std::vector<geometry::Text> titles = g.texts(dxf::TitleLayer);
    QCOMPARE(titles.size(), std::size_t(1));
    QCOMPARE(titles[0].text, c.title);
    // Above the far wall, from the room's corner.
    QCOMPARE(titles[0].anchor.x(), 0.0);
    QVERIFY(titles[0].anchor.y() > 8.0);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_plan_geometry.moc"
