// The plan as a DXF drawing, read back group by group: the header, the
// layers in the Cyrillic code page, the room, the loudspeakers and their
// numbers, the zones cut to the room and the dimensions; the zone outlines
// the drawing takes; the file written whole.
#include "dxfdrawing.h"
#include "plan/dxfexport.h"
#include "plan/layout.h"
#include "plan/zoneoutline.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <map>

using namespace plan;
using namespace dxfdrawing;

Q_DECLARE_METATYPE(plan::ZoneForm)
Q_DECLARE_METATYPE(plan::Placement)

namespace {

constexpr double TruePi = 3.14159265358979323846;

ZoneForm disc(double radius)
{
    ZoneForm z;
    z.shape = ZoneShape::Disc;
    z.radius = radius;
    return z;
}

ZoneForm sector(double radius, double halfAngle)
{
    ZoneForm z;
    z.shape = ZoneShape::Sector;
    z.radius = radius;
    z.halfAngle = halfAngle;
    return z;
}

ZoneForm ellipse(double nearDistance, double farDistance, double halfAlong)
{
    ZoneForm z;
    z.shape = ZoneShape::Ellipse;
    z.nearDistance = nearDistance;
    z.farDistance = farDistance;
    z.halfAlong = halfAlong;
    return z;
}

ZoneForm trapezium(double nearDistance, double farDistance, double nearHalf, double farHalf)
{
    ZoneForm z;
    z.shape = ZoneShape::Trapezium;
    z.nearDistance = nearDistance;
    z.farDistance = farDistance;
    z.nearHalfWidth = nearHalf;
    z.farHalfWidth = farHalf;
    return z;
}

double polygonArea(const QPolygonF &polygon)
{
    double twice = 0.0;
    for (qsizetype i = 0; i + 1 < polygon.size(); ++i)
        twice += polygon[i].x() * polygon[i + 1].y() - polygon[i + 1].x() * polygon[i].y();
    return std::abs(twice) / 2.0;
}

DxfPlan rowsPlan(double length, double width, int count, const ZoneForm &zone, QChar point)
{
    DxfPlan plan;
    plan.length = length;
    plan.width = width;
    plan.placements = layOut(Arrangement::Rows, length, width, 0, count).placements;
    plan.zone = zone;
    plan.decimalPoint = point;
    return plan;
}

// The corners of a closed polyline in millimetres.
QPolygonF corners(const Record &polyline)
{
    const std::vector<double> xs = polyline.numbers(10);
    const std::vector<double> ys = polyline.numbers(20);
    QPolygonF polygon;
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i)
        polygon << QPointF(xs[i], ys[i]);
    return polygon;
}

} // namespace

class TestDxf : public QObject {
    Q_OBJECT

private slots:
    void header();
    void layers();
    void roomAndLoudspeakers_data();
    void roomAndLoudspeakers();
    void discZones_data();
    void discZones();
    void wallZonesCutToTheRoom_data();
    void wallZonesCutToTheRoom();
    void titleOnItsOwnLayer();
    void charactersOutsideTheCodePage();
    void handSeedAboveEveryHandle();
    void writtenWhole();
    void outlineArea_data();
    void outlineArea();
    void outlineFollowsTheArc();
};

void TestDxf::header()
{
    const Drawing drawing = readDrawing(dxfBytes(rowsPlan(12, 8, 6, disc(1.5), u'.')));
    QVERIFY(!drawing.all.empty());
    QVERIFY(drawing.endsWithEof);
    QCOMPARE(headerValue(drawing, "$ACADVER", 1), QByteArray("AC1015"));
    QCOMPARE(headerValue(drawing, "$INSUNITS", 70), QByteArray("4"));
    QCOMPARE(headerValue(drawing, "$DWGCODEPAGE", 3), QByteArray("ANSI_1251"));
    QVERIFY(headerValue(drawing, "$EXTMAX", 10).toDouble() > 12000.0);
    // Every real is written with a point, whatever the locale.
    for (const Group &group : drawing.all)
        if (group.code >= 10 && group.code < 60)
            QVERIFY2(!group.value.contains(','), group.value.constData());
}

void TestDxf::layers()
{
    const Drawing drawing = readDrawing(dxfBytes(rowsPlan(12, 8, 6, disc(1.5), u'.')));
    QStringList names;
    for (const Record &entry : drawing.tableEntries)
        if (entry.type == "LAYER")
            names << decoded(entry.value(2));
    QCOMPARE(
        names,
        QStringList({QStringLiteral("0"), QStringLiteral("ПОМЕЩЕНИЕ"), QStringLiteral("ГРОМКОГОВОРИТЕЛИ"),
                     QStringLiteral("ЗОНЫ"), QStringLiteral("РАЗМЕРЫ")}));
    // The names are windows-1251 bytes, one byte a letter.
    for (const Record &entry : drawing.tableEntries)
        if (entry.type == "LAYER" && entry.value(2) != "0")
            QCOMPARE(entry.value(2).size(), decoded(entry.value(2)).size());
    // Every entity is on one of the four.
    for (const Record &entity : drawing.entities)
        QVERIFY(names.mid(1).contains(decoded(entity.value(8))));
    // The texts take a style of the table whose name LibreCAD takes for its
    // font with Cyrillic letters.
    QStringList styles;
    for (const Record &entry : drawing.tableEntries)
        if (entry.type == "STYLE")
            styles << decoded(entry.value(2));
    QVERIFY(styles.contains(QStringLiteral("unicode")));
    for (const Record &entity : drawing.entities)
        if (entity.type == "TEXT")
            QCOMPARE(entity.value(7), QByteArray("unicode"));
}

void TestDxf::roomAndLoudspeakers_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("lengthText");
    QTest::addColumn<QString>("widthText");
    QTest::newRow("12 x 8, six") << 12.0 << 8.0 << 6 << QChar(u'.') << QStringLiteral("12 м")
                                 << QStringLiteral("8 м");
    QTest::newRow("12.5 x 8.25, thirteen, comma")
        << 12.5 << 8.25 << 13 << QChar(u',') << QStringLiteral("12,5 м") << QStringLiteral("8,25 м");
    QTest::newRow("narrow 3 x 40, one")
        << 3.0 << 40.0 << 1 << QChar(u'.') << QStringLiteral("3 м") << QStringLiteral("40 м");
}

void TestDxf::roomAndLoudspeakers()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(int, count);
    QFETCH(QChar, point);
    QFETCH(QString, lengthText);
    QFETCH(QString, widthText);
    const DxfPlan plan = rowsPlan(length, width, count, disc(1), point);
    const Drawing drawing = readDrawing(dxfBytes(plan));

    // The room: one closed polyline through the four corners.
    const std::vector<Record> room = drawing.on(dxf::RoomLayer, "LWPOLYLINE");
    QCOMPARE(int(room.size()), 1);
    QCOMPARE(room.front().value(90), QByteArray("4"));
    QCOMPARE(room.front().value(70).toInt() & 1, 1);
    QCOMPARE(corners(room.front()),
             QPolygonF({QPointF(0, 0), QPointF(length * 1000, 0), QPointF(length * 1000, width * 1000),
                        QPointF(0, width * 1000)}));
    QCOMPARE(int(drawing.on(dxf::RoomLayer, "CIRCLE").size() + drawing.on(dxf::RoomLayer, "TEXT").size()), 0);

    // The loudspeakers in their order, each number beside its circle.
    const std::vector<Record> marks = drawing.on(dxf::LoudspeakerLayer, "CIRCLE");
    const std::vector<Record> numbers = drawing.on(dxf::LoudspeakerLayer, "TEXT");
    QCOMPARE(int(marks.size()), count);
    QCOMPARE(int(numbers.size()), count);
    for (int i = 0; i < count; ++i) {
        const QPointF at = plan.placements[std::size_t(i)].position * 1000.0;
        QCOMPARE(marks[std::size_t(i)].number(10), at.x());
        QCOMPARE(marks[std::size_t(i)].number(20), at.y());
        QCOMPARE(marks[std::size_t(i)].number(40), 100.0);
        const Record &number = numbers[std::size_t(i)];
        QCOMPARE(decoded(number.value(1)), QString::number(i + 1));
        QCOMPARE(number.number(40), 250.0);
        QVERIFY(QLineF(at, QPointF(number.number(10), number.number(20))).length() < 400.0);
    }

    // The dimensions: the length under the room, the width beside it.
    const std::vector<Record> texts = drawing.on(dxf::DimensionLayer, "TEXT");
    QCOMPARE(int(texts.size()), 2);
    QCOMPARE(decoded(texts[0].value(1)), lengthText);
    QCOMPARE(decoded(texts[1].value(1)), widthText);
    QVERIFY(texts[0].number(21) < 0.0);
    QCOMPARE(texts[0].number(11), length * 500.0);
    QVERIFY(texts[1].number(11) < 0.0);
    QCOMPARE(texts[1].number(21), width * 500.0);
    QCOMPARE(texts[1].number(50), 90.0);
}

void TestDxf::discZones_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("circles");
    // Six loudspeakers 2 m from the walls of 12 x 8 m, 4 m apart.
    QTest::newRow("all inside") << 1.5 << 6;
    QTest::newRow("touching the walls") << 2.0 << 6;
    QTest::newRow("all cut") << 2.5 << 0;
}

void TestDxf::discZones()
{
    QFETCH(double, radius);
    QFETCH(int, circles);
    const DxfPlan plan = rowsPlan(12, 8, 6, disc(radius), u'.');
    const Drawing drawing = readDrawing(dxfBytes(plan));
    const std::vector<Record> discs = drawing.on(dxf::ZoneLayer, "CIRCLE");
    const std::vector<Record> cut = drawing.on(dxf::ZoneLayer, "LWPOLYLINE");
    QCOMPARE(int(discs.size()), circles);
    QCOMPARE(int(discs.size() + cut.size()), 6);
    for (std::size_t i = 0; i < discs.size(); ++i) {
        QCOMPARE(discs[i].number(10), plan.placements[i].position.x() * 1000.0);
        QCOMPARE(discs[i].number(20), plan.placements[i].position.y() * 1000.0);
        QCOMPARE(discs[i].number(40), radius * 1000.0);
    }
    for (std::size_t i = 0; i < cut.size(); ++i) {
        QCOMPARE(cut[i].value(70).toInt() & 1, 1);
        const QPointF centre = plan.placements[i].position * 1000.0;
        const QPolygonF outline = corners(cut[i]);
        QVERIFY(outline.size() > 16);
        QCOMPARE(cut[i].value(90).toInt(), int(outline.size()));
        bool onWall = false;
        for (const QPointF corner : outline) {
            QVERIFY(corner.x() >= 0.0 && corner.x() <= 12000.0 && corner.y() >= 0.0 && corner.y() <= 8000.0);
            QVERIFY(QLineF(centre, corner).length() <= radius * 1000.0 + 1e-3); // to the micrometre
            onWall = onWall || corner.x() == 0.0 || corner.y() == 0.0 || corner.x() == 12000.0
                || corner.y() == 8000.0;
        }
        QVERIFY(onWall);
    }
}

void TestDxf::wallZonesCutToTheRoom_data()
{
    QTest::addColumn<ZoneForm>("zone");
    QTest::addColumn<bool>("twoWalls");
    QTest::newRow("sectors, two walls") << sector(9, calc::degreesToRadians(45)) << true;
    QTest::newRow("sectors 180 degrees, one wall") << sector(4, calc::degreesToRadians(90)) << false;
    QTest::newRow("ellipses behind the wall, two walls") << ellipse(-1.5, 6, 2) << true;
    QTest::newRow("trapezia, one wall") << trapezium(1, 14, 1.5, 5) << false;
}

void TestDxf::wallZonesCutToTheRoom()
{
    QFETCH(ZoneForm, zone);
    QFETCH(bool, twoWalls);
    DxfPlan plan;
    plan.length = 30;
    plan.width = 10;
    plan.placements = wallLayout(30, 10, 6, twoWalls);
    plan.zone = zone;
    const Drawing drawing = readDrawing(dxfBytes(plan));
    const std::vector<Record> zones = drawing.on(dxf::ZoneLayer, "LWPOLYLINE");
    QCOMPARE(int(zones.size()), 6);
    QVERIFY(drawing.on(dxf::ZoneLayer, "CIRCLE").empty());
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const QPolygonF outline = corners(zones[i]);
        const QPolygonF expected = zoneOutline(zone, plan.placements[i], 30, 10);
        QCOMPARE(outline.size() + 1, expected.size());
        for (qsizetype k = 0; k < outline.size(); ++k) {
            QVERIFY(std::abs(outline[k].x() - expected[k].x() * 1000.0) < 1e-3);
            QVERIFY(std::abs(outline[k].y() - expected[k].y() * 1000.0) < 1e-3);
            QVERIFY(outline[k].x() >= 0.0 && outline[k].x() <= 30000.0);
            QVERIFY(outline[k].y() >= 0.0 && outline[k].y() <= 10000.0);
        }
    }
}

// A room written from a project carries its title as a text above the far
// wall, on a layer of its own, which a drawing without a title lacks.
void TestDxf::titleOnItsOwnLayer()
{
    DxfPlan plan = rowsPlan(12, 8, 6, disc(1.5), u'.');
    plan.title = QStringLiteral("Объект «Школа». Помещение № 7 «Кабинет 12», этаж 2. Дата: 09.12.2026");
    const Drawing drawing = readDrawing(dxfBytes(plan));
    QStringList layers;
    for (const Record &entry : drawing.tableEntries)
        if (entry.type == "LAYER")
            layers << decoded(entry.value(2));
    QVERIFY(layers.contains(dxf::TitleLayer));
    const std::vector<Record> titles = drawing.on(dxf::TitleLayer, "TEXT");
    QCOMPARE(int(titles.size()), 1);
    // «» lie outside windows-1251's letters and are written as \U+XXXX.
    QCOMPARE(decoded(titles[0].value(1))
                 .replace(QStringLiteral("\\U+00AB"), QStringLiteral("«"))
                 .replace(QStringLiteral("\\U+00BB"), QStringLiteral("»")),
             plan.title);
    QCOMPARE(titles[0].number(10), 0.0);
    QVERIFY(titles[0].number(20) > 8000.0);
    QVERIFY(titles[0].number(20) + titles[0].number(40) <= headerValue(drawing, "$EXTMAX", 20).toDouble());
    QCOMPARE(titles[0].value(7), QByteArray("unicode"));

    plan.title.clear();
    const Drawing untitled = readDrawing(dxfBytes(plan));
    for (const Record &entry : untitled.tableEntries)
        QVERIFY(!(entry.type == "LAYER" && decoded(entry.value(2)) == dxf::TitleLayer));
    QVERIFY(untitled.on(dxf::TitleLayer, "TEXT").empty());
}

void TestDxf::charactersOutsideTheCodePage()
{
    // The Arabic decimal separator has no place in windows-1251.
    const QByteArray bytes = dxfBytes(rowsPlan(12.5, 8, 1, disc(1), QChar(0x066B)));
    const Drawing drawing = readDrawing(bytes);
    const std::vector<Record> texts = drawing.on(dxf::DimensionLayer, "TEXT");
    QCOMPARE(int(texts.size()), 2);
    QCOMPARE(texts[0].value(1), QByteArray("12\\U+066B5 \xEC"));
}

void TestDxf::handSeedAboveEveryHandle()
{
    // Two entities a loudspeaker: more handles than dxflib's FFFF seed.
    DxfPlan plan;
    plan.length = 200;
    plan.width = 180;
    plan.placements = layOut(Arrangement::FullOverlap, 200, 180, 1, 0).placements;
    QCOMPARE(int(plan.placements.size()), 36000);
    const Drawing drawing = readDrawing(dxfBytes(plan));
    bool ok = false;
    const qulonglong seed = headerValue(drawing, "$HANDSEED", 5).toULongLong(&ok, 16);
    QVERIFY(ok);
    qulonglong highest = 0;
    for (const Record &entity : drawing.entities)
        highest = std::max(highest, entity.value(5).toULongLong(nullptr, 16));
    QVERIFY(highest > 0xFFFF);
    QVERIFY(seed > highest);
}

void TestDxf::writtenWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const DxfPlan plan = rowsPlan(12, 8, 6, disc(2.5), u',');
    const QString path = dir.filePath(QStringLiteral("план.dxf"));
    const WriteResult written = writeDxf(path, plan);
    QVERIFY2(written.ok, qPrintable(written.error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), dxfBytes(plan));

    const QString nowhere = dir.filePath(QStringLiteral("нет/план.dxf"));
    const WriteResult failed = writeDxf(nowhere, plan);
    QVERIFY(!failed.ok);
    QVERIFY(failed.error.contains(QDir::toNativeSeparators(nowhere)));
}

void TestDxf::outlineArea_data()
{
    QTest::addColumn<ZoneForm>("zone");
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<double>("area");
    QTest::addColumn<bool>("inside");
    const double r = 2.0;
    QTest::newRow("disc inside") << disc(r) << Placement{{5, 5}, Side::Ceiling} << TruePi * r * r << true;
    QTest::newRow("disc in the corner")
        << disc(r) << Placement{{0, 0}, Side::Ceiling} << TruePi * r * r / 4.0 << false;
    QTest::newRow("disc across a wall")
        << disc(r) << Placement{{5, 10}, Side::Ceiling} << TruePi * r * r / 2.0 << false;
    QTest::newRow("sector on the near wall")
        << sector(3, 0.6) << Placement{{5, 0}, Side::NearWall} << 0.6 * 9.0 << true;
    QTest::newRow("sector on the far wall")
        << sector(3, 0.6) << Placement{{5, 10}, Side::FarWall} << 0.6 * 9.0 << true;
    QTest::newRow("ellipse halved by its wall")
        << ellipse(-3, 3, 2) << Placement{{5, 10}, Side::FarWall} << TruePi * 3 * 2 / 2.0 << false;
    QTest::newRow("trapezium inside")
        << trapezium(1, 5, 1, 3) << Placement{{5, 0}, Side::NearWall} << 4.0 * 4.0 << true;
    QTest::newRow("trapezium past the far wall")
        << trapezium(8, 12, 1, 1) << Placement{{5, 0}, Side::NearWall} << 2.0 * 2.0 << false;
}

void TestDxf::outlineArea()
{
    QFETCH(ZoneForm, zone);
    QFETCH(Placement, placement);
    QFETCH(double, area);
    QFETCH(bool, inside);
    const QPolygonF outline = zoneOutline(zone, placement, 10, 10);
    QVERIFY(outline.isClosed());
    QCOMPARE(zoneInsideRoom(zone, placement, 10, 10), inside);
    QVERIFY2(std::abs(polygonArea(outline) - area) <= 1e-3 * area,
             qPrintable(QString::number(polygonArea(outline))));
    for (const QPointF corner : outline)
        QVERIFY(corner.x() >= 0.0 && corner.x() <= 10.0 && corner.y() >= 0.0 && corner.y() <= 10.0);
    QVERIFY(zoneOutline(zone, placement, 0, 10).isEmpty());
    QVERIFY(zoneOutline(ZoneForm(), placement, 10, 10).isEmpty());
}

void TestDxf::outlineFollowsTheArc()
{
    // Every corner on the circle, every chord within ArcTolerance of it.
    for (const double radius : {0.3, 1.0, 7.5, 40.0}) {
        const QPolygonF outline = zoneOutline(disc(radius), {{50, 50}, Side::Ceiling}, 100, 100);
        QVERIFY(outline.size() >= 5);
        for (qsizetype i = 0; i + 1 < outline.size(); ++i) {
            QVERIFY(std::abs(QLineF(QPointF(50, 50), outline[i]).length() - radius) < 1e-9);
            const QPointF middle = (outline[i] + outline[i + 1]) / 2.0;
            QVERIFY(radius - QLineF(QPointF(50, 50), middle).length() <= ArcTolerance);
        }
    }
}

QTEST_GUILESS_MAIN(TestDxf)
#include "tst_plan_dxf.moc"
