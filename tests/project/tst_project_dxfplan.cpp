// An architect's floor plan read from DXF: the rooms of every entity kind,
// bulges, blocks turned, scaled, mirrored and nested, units, code pages,
// MTEXT codes, names in reading order, what is skipped, the report, the
// refusals and hostile files. The drawings are written here group by group;
// the expected figures are worked out by hand.

#include "project/dxfplan.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>
#include <cmath>

using project::PlanReading;
using project::PlanUnit;

namespace {

QByteArray g(int code, const QByteArray &value)
{
    return QByteArray::number(code) + '\n' + value + '\n';
}

QByteArray g(int code, double value)
{
    return g(code, QByteArray::number(value, 'g', 17));
}

QByteArray encoded(const char *codec, const QString &text)
{
    QStringEncoder encoder(codec);
    return encoder(text);
}

struct P {
    double x, y, bulge = 0.0;
};

// An LWPOLYLINE; flags 1 is closed.
QByteArray lw(const QByteArray &layer, const std::vector<P> &points, int flags = 1,
              const QByteArray &extra = {})
{
    QByteArray out
        = g(0, "LWPOLYLINE") + g(8, layer) + g(90, double(points.size())) + g(70, double(flags)) + extra;
    for (const P &p : points) {
        out += g(10, p.x) + g(20, p.y);
        if (p.bulge != 0.0)
            out += g(42, p.bulge);
    }
    return out;
}

QByteArray rect(const QByteArray &layer, double x, double y, double w, double h)
{
    return lw(layer, {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
}

QByteArray text(const QByteArray &value, double x, double y, double height = 0.3,
                const QByteArray &layer = "T")
{
    return g(0, "TEXT") + g(8, layer) + g(10, x) + g(20, y) + g(40, height) + g(1, value);
}

QByteArray insert(const QByteArray &layer, const QByteArray &block, double x, double y, double sx = 1,
                  double sy = 1, double angle = 0, const QByteArray &extra = {})
{
    return g(0, "INSERT") + g(8, layer) + g(2, block) + g(10, x) + g(20, y) + g(41, sx) + g(42, sy)
        + g(50, angle) + extra;
}

QByteArray block(const QByteArray &name, double bx, double by, const QByteArray &content)
{
    return g(0, "BLOCK") + g(8, "0") + g(2, name) + g(70, 0.0) + g(10, bx) + g(20, by) + content
        + g(0, "ENDBLK");
}

QByteArray headerVars(const QByteArray &units = "6", const QByteArray &version = "AC1015",
                      const QByteArray &codePage = {})
{
    QByteArray vars = g(9, "$ACADVER") + g(1, version);
    if (!codePage.isEmpty())
        vars += g(9, "$DWGCODEPAGE") + g(3, codePage);
    if (!units.isEmpty())
        vars += g(9, "$INSUNITS") + g(70, units);
    return vars;
}

// A whole drawing, in metres unless the header says otherwise.
QByteArray dxf(const QByteArray &entities, const QByteArray &blocks = {},
               const QByteArray &vars = headerVars())
{
    return g(0, "SECTION") + g(2, "HEADER") + vars + g(0, "ENDSEC") + g(0, "SECTION") + g(2, "BLOCKS")
        + blocks + g(0, "ENDSEC") + g(0, "SECTION") + g(2, "ENTITIES") + entities + g(0, "ENDSEC")
        + g(0, "EOF");
}

PlanReading read(const QByteArray &bytes, const QString &layer = {}, PlanUnit unnamed = PlanUnit::Millimetre)
{
    return project::readFloorPlanBytes(bytes, QStringLiteral("plan.dxf"), {layer, unnamed});
}

// The plan read, failing the test where there is none.
project::FloorPlanFile plan(const QByteArray &bytes, const QString &layer = {})
{
    const PlanReading reading = read(bytes, layer);
    if (!reading.plan)
        qWarning() << reading.refusal;
    return reading.plan.value_or(project::FloorPlanFile{});
}

bool near(double a, double b, double tolerance = 1e-9)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

Q_DECLARE_METATYPE(QRectF)

class TestDxfPlan : public QObject {
    Q_OBJECT

private slots:
    void units_data()
    {
        QTest::addColumn<QByteArray>("insUnits");
        QTest::addColumn<double>("side");
        QTest::addColumn<double>("area");
        QTest::addColumn<int>("named"); // -1 none
        QTest::addColumn<int>("used");
        QTest::newRow("inch") << QByteArray("1") << 100.0 << 6.4516 << int(PlanUnit::Inch)
                              << int(PlanUnit::Inch);
        QTest::newRow("foot") << QByteArray("2") << 10.0 << 9.290304 << int(PlanUnit::Foot)
                              << int(PlanUnit::Foot);
        QTest::newRow("mm") << QByteArray("4") << 3000.0 << 9.0 << int(PlanUnit::Millimetre)
                            << int(PlanUnit::Millimetre);
        QTest::newRow("cm") << QByteArray("5") << 300.0 << 9.0 << int(PlanUnit::Centimetre)
                            << int(PlanUnit::Centimetre);
        QTest::newRow("m") << QByteArray("6") << 3.0 << 9.0 << int(PlanUnit::Metre) << int(PlanUnit::Metre);
        // Not named: the caller's unit, here centimetres.
        QTest::newRow("0") << QByteArray("0") << 300.0 << 9.0 << -1 << int(PlanUnit::Centimetre);
        QTest::newRow("missing") << QByteArray() << 300.0 << 9.0 << -1 << int(PlanUnit::Centimetre);
        QTest::newRow("kilometres") << QByteArray("7") << 300.0 << 9.0 << -1 << int(PlanUnit::Centimetre);
    }
    void units()
    {
        QFETCH(QByteArray, insUnits);
        QFETCH(double, side);
        QFETCH(double, area);
        QFETCH(int, named);
        QFETCH(int, used);
        const PlanReading reading
            = read(dxf(rect("R", 0, 0, side, side), {}, headerVars(insUnits)), {}, PlanUnit::Centimetre);
        QVERIFY(reading.plan);
        QCOMPARE(reading.plan->namedUnit.has_value(), named >= 0);
        if (named >= 0)
            QCOMPARE(int(*reading.plan->namedUnit), named);
        QCOMPARE(int(reading.plan->unit), used);
        QCOMPARE(reading.plan->rooms.size(), std::size_t(1));
        QVERIFY(near(reading.plan->rooms[0].outline.area(), area, 1e-9));
    }

    void unitKeys()
    {
        for (PlanUnit unit :
             {PlanUnit::Inch, PlanUnit::Foot, PlanUnit::Millimetre, PlanUnit::Centimetre, PlanUnit::Metre})
            QCOMPARE(project::unitFromKey(project::unitKey(unit)), unit);
        QCOMPARE(project::unitKey(PlanUnit::Foot), QStringLiteral("ft"));
        QCOMPARE(project::metresPerUnit(PlanUnit::Inch), 0.0254);
        QVERIFY(!project::unitFromKey(QStringLiteral("km")));
    }

    void entityKinds_data()
    {
        QTest::addColumn<QByteArray>("entities");
        QTest::addColumn<int>("rooms");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("small");
        QTest::addColumn<int>("crossing");
        QTest::addColumn<double>("area");
        const QByteArray vertex = g(0, "VERTEX") + g(8, "R");
        QTest::newRow("closed LWPOLYLINE") << rect("R", 0, 0, 4, 3) << 1 << 0 << 0 << 0 << 12.0;
        QTest::newRow("open LWPOLYLINE") << lw("R", {{0, 0}, {4, 0}, {4, 3}}, 0) << 0 << 1 << 0 << 0 << 0.0;
        QTest::newRow("closed by its last corner, 0.5 mm off")
            << lw("R", {{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0.0005, 0}}, 0) << 1 << 0 << 0 << 0 << 12.0;
        QTest::newRow("last corner 2 mm off: open")
            << lw("R", {{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0.002, 0}}, 0) << 0 << 1 << 0 << 0 << 0.0;
        QTest::newRow("column under 1 m2") << rect("R", 0, 0, 0.9, 0.9) << 0 << 0 << 1 << 0 << 0.0;
        QTest::newRow("bow tie") << lw("R", {{0, 0}, {4, 3}, {4, 0}, {0, 3}}) << 0 << 0 << 0 << 1 << 0.0;
        QTest::newRow("2D POLYLINE") << g(0, "POLYLINE") + g(8, "R") + g(66, "1") + g(70, "1") + vertex
                + g(10, 0.0) + g(20, 0.0) + vertex + g(10, 5.0) + g(20, 0.0) + vertex + g(10, 5.0)
                + g(20, 2.0) + g(0, "SEQEND")
                                     << 1 << 0 << 0 << 0 << 5.0;
        QTest::newRow("3D POLYLINE is no outline") << g(0, "POLYLINE") + g(8, "R") + g(70, "9") + vertex
                + g(10, 0.0) + g(20, 0.0) + vertex + g(10, 5.0) + g(20, 0.0) + vertex + g(10, 5.0)
                + g(20, 2.0) + g(0, "SEQEND") + rect("R", 10, 0, 1, 1)
                                                   << 1 << 0 << 0 << 0 << 1.0;
        QTest::newRow("in paper space")
            << lw("R", {{0, 0}, {4, 0}, {4, 3}, {0, 3}}, 1, g(67, "1")) + rect("R", 10, 0, 1, 2) << 1 << 0
            << 0 << 0 << 2.0;
        QTest::newRow("corner at 1e300")
            << lw("R", {{0, 0}, {1e300, 0}, {4, 3}}) + rect("R", 10, 0, 2, 2) << 1 << 0 << 0 << 0 << 4.0;
        QTest::newRow("half-round end")
            << lw("R", {{0, 0}, {4, 0, 1.0}, {4, 2}, {0, 2}}) << 1 << 0 << 0 << 0 << 8.0 + M_PI / 2.0;
        QTest::newRow("circle of two bulges")
            << lw("R", {{-3, 0, 1.0}, {3, 0, 1.0}}) << 1 << 0 << 0 << 0 << M_PI * 9.0;
        QTest::newRow("bulge -1 cuts a half round in")
            << lw("R", {{0, 0}, {6, 0}, {6, 4}, {4, 4, -1.0}, {2, 4}, {0, 4}}) << 1 << 0 << 0 << 0
            << 24.0 - M_PI / 2.0;
    }
    void entityKinds()
    {
        QFETCH(QByteArray, entities);
        QFETCH(int, rooms);
        QFETCH(int, open);
        QFETCH(int, small);
        QFETCH(int, crossing);
        QFETCH(double, area);
        const project::FloorPlanFile p = plan(dxf(entities), QStringLiteral("R"));
        QCOMPARE(int(p.rooms.size()), rooms);
        QCOMPARE(p.skipped.open, open);
        QCOMPARE(p.skipped.small, small);
        QCOMPARE(p.skipped.selfCrossing, crossing);
        if (rooms > 0) {
            // Arcs within 0.1 % of the true area.
            QVERIFY2(std::abs(p.rooms[0].outline.area() - area) <= area * 1e-3,
                     qPrintable(QString::number(p.rooms[0].outline.area())));
            QVERIFY(calc::signedArea(p.rooms[0].outline.outline()) > 0.0);
        }
    }

    void blocks_data()
    {
        QTest::addColumn<QByteArray>("entities");
        QTest::addColumn<QRectF>("bounds");
        // Block B: the rectangle 2 x 1 with its corner at the base point (1, 1), on layer 0.
        QTest::newRow("moved") << insert("ROOMS", "B", 10, 20) << QRectF(10, 20, 2, 1);
        QTest::newRow("turned 90") << insert("ROOMS", "B", 10, 20, 1, 1, 90) << QRectF(9, 20, 1, 2);
        QTest::newRow("scaled 2 x 3") << insert("ROOMS", "B", 10, 20, 2, 3) << QRectF(10, 20, 4, 3);
        QTest::newRow("mirrored") << insert("ROOMS", "B", 10, 20, -1, 1) << QRectF(8, 20, 2, 1);
        QTest::newRow("nested, turned 180")
            << insert("ROOMS", "N", 100, 0, 1, 1, 180) << QRectF(91, -2, 4, 2);
        QTest::newRow("insert mirrored in CAD (extrusion 0,0,-1)")
            << insert("ROOMS", "B", 10, 20, 1, 1, 0, g(210, 0.0) + g(220, 0.0) + g(230, -1.0))
            << QRectF(-12, 20, 2, 1);
        QTest::newRow("polyline mirrored in CAD")
            << lw("ROOMS", {{2, 0}, {4, 0}, {4, 1}, {2, 1}}, 1, g(210, 0.0) + g(220, 0.0) + g(230, -1.0))
            << QRectF(-4, 0, 2, 1);
        QTest::newRow("two columns of two rows")
            << insert("ROOMS", "B", 0, 0, 1, 1, 0, g(70, "2") + g(71, "2") + g(44, 5.0) + g(45, 7.0))
            << QRectF(0, 7, 2, 1);
    }
    void blocks()
    {
        QFETCH(QByteArray, entities);
        QFETCH(QRectF, bounds);
        const QByteArray blocks = block("B", 1, 1, rect("0", 1, 1, 2, 1))
            + block("N", 0, 0, insert("0", "B", 5, 0, 2, 2))
            + block("UNUSED", 0, 0, rect("ROOMS", 0, 0, 50, 50));
        const project::FloorPlanFile p = plan(dxf(entities, blocks), QStringLiteral("ROOMS"));
        QVERIFY(!p.rooms.empty());
        // The rooms in reading order: the first is the top left one.
        const QRectF got = p.rooms[0].outline.bounds();
        QVERIFY2(near(got.left(), bounds.left(), 1e-9) && near(got.top(), bounds.top(), 1e-9)
                     && near(got.width(), bounds.width(), 1e-9) && near(got.height(), bounds.height(), 1e-9),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(got.left())
                                .arg(got.top())
                                .arg(got.width())
                                .arg(got.height())));
        if (QByteArray(QTest::currentDataTag()).startsWith("two columns")) {
            QCOMPARE(p.rooms.size(), std::size_t(4));
            QCOMPARE(p.rooms[3].outline.bounds(), QRectF(5, 0, 2, 1));
        } else {
            QCOMPARE(p.rooms.size(), std::size_t(1)); // the block never inserted is not drawn
        }
    }

    void blockLimits_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("rooms");
        QTest::newRow("10 deep") << 10 << 1;
        QTest::newRow("32 deep") << 32 << 1;
        QTest::newRow("100 000 deep: left out") << 100000 << 0;
    }
    void blockLimits()
    {
        QFETCH(int, depth);
        QFETCH(int, rooms);
        // B1 inserts B2 ... inserts Bdepth, which holds the room.
        QByteArray blocks;
        for (int i = 1; i < depth; ++i)
            blocks += block("B" + QByteArray::number(i), 0, 0,
                            insert("0", "B" + QByteArray::number(i + 1), 0, 0));
        blocks += block("B" + QByteArray::number(depth), 0, 0, rect("R", 0, 0, 2, 2));
        const project::FloorPlanFile p = plan(dxf(insert("R", "B1", 0, 0), blocks), QStringLiteral("R"));
        QCOMPARE(int(p.rooms.size()), rooms);
    }

    void selfInsertingBlock()
    {
        const QByteArray blocks = block("SELF", 0, 0, rect("R", 0, 0, 2, 2) + insert("R", "SELF", 10, 0))
            + block("A", 0, 0, insert("R", "C", 0, 0)) + block("C", 0, 0, insert("R", "A", 5, 5));
        const project::FloorPlanFile p
            = plan(dxf(insert("R", "SELF", 0, 0) + insert("R", "A", 0, 0), blocks));
        QCOMPARE(p.rooms.size(), std::size_t(1));
    }

    void tooManyExpanded()
    {
        // Each block inserts the next ten times: 10^8 insertions.
        QByteArray blocks;
        for (int i = 0; i < 8; ++i) {
            QByteArray content;
            for (int k = 0; k < 10; ++k)
                content += insert("0", "L" + QByteArray::number(i + 1), k * 10.0, 0);
            blocks += block("L" + QByteArray::number(i), 0, 0, content);
        }
        blocks += block("L8", 0, 0, insert("0", "NOWHERE", 0, 0));
        const PlanReading reading = read(dxf(insert("R", "L0", 0, 0), blocks));
        QVERIFY(!reading.plan);
        QCOMPARE(
            reading.refusal,
            QStringLiteral("Файл «plan.dxf» не прочитан: в чертеже больше 5 000 000 элементов или 10 000 000 "
                           "точек с учётом вставок блоков."));
    }

    void codePages_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("codePage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QString hall = QStringLiteral("Актовый зал");
        QTest::newRow("ANSI_1251") << QByteArray("AC1015") << QByteArray("ANSI_1251")
                                   << encoded("windows-1251", hall) << hall;
        QTest::newRow("none named: 1251")
            << QByteArray("AC1015") << QByteArray() << encoded("windows-1251", hall) << hall;
        QTest::newRow("unknown: 1251")
            << QByteArray("AC1009") << QByteArray("ANSI_99999") << encoded("windows-1251", hall) << hall;
        QTest::newRow("ANSI_1252") << QByteArray("AC1018") << QByteArray("ANSI_1252") << QByteArray("Caf\xE9")
                                   << QStringLiteral("Café");
        QTest::newRow("DOS866") << QByteArray("AC1015") << QByteArray("DOS866") << encoded("IBM866", hall)
                                << hall;
        QTest::newRow("R2007: UTF-8")
            << QByteArray("AC1021") << QByteArray("ANSI_1251") << hall.toUtf8() << hall;
        QTest::newRow("R2018: UTF-8") << QByteArray("AC1032") << QByteArray() << hall.toUtf8() << hall;
        QTest::newRow("escapes before R2007")
            << QByteArray("AC1015") << QByteArray("ANSI_1252") << QByteArray("\\U+0417\\U+0430\\U+043B 1")
            << QStringLiteral("Зал 1");
        QTest::newRow("escapes in R2013")
            << QByteArray("AC1027") << QByteArray() << QByteArray("\\U+2116 5") << QStringLiteral("№ 5");
        QTest::newRow("TEXT codes") << QByteArray("AC1015") << QByteArray()
                                    << QByteArray("%%uT%%u = 20%%dC %%p1") << QStringLiteral("T = 20°C ±1");
    }
    void codePages()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, codePage);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        const project::FloorPlanFile p
            = plan(dxf(rect("R", 0, 0, 10, 10) + text(bytes, 2, 5), {}, headerVars("6", version, codePage)));
        QCOMPARE(p.rooms.size(), std::size_t(1));
        QCOMPARE(p.rooms[0].name, name);
    }

    void layerNamesDecoded()
    {
        const QByteArray layer = encoded("windows-1251", QStringLiteral("Помещения"));
        const project::FloorPlanFile p
            = plan(dxf(rect(layer, 0, 0, 3, 3), {}, headerVars("6", "AC1015", "ANSI_1251")));
        QCOMPARE(p.layer, QStringLiteral("Помещения"));
        QCOMPARE(p.rooms.size(), std::size_t(1));
    }

    void mtext_data()
    {
        QTest::addColumn<QByteArray>("groups");
        QTest::addColumn<QString>("name");
        QTest::newRow("font and paragraph")
            << g(1, "{\\fArial|b1|i0|c204|p34;Cabinet}\\P12") << QStringLiteral("Cabinet 12");
        QTest::newRow("alignment, height, colour")
            << g(1, "\\A1;\\H0.5;\\C1;Hall\\Pfor \\H2x;lessons") << QStringLiteral("Hall for lessons");
        QTest::newRow("underline, overline")
            << g(1, "\\Lunder\\l \\Oover\\o") << QStringLiteral("under over");
        QTest::newRow("width, oblique, tracking")
            << g(1, "\\W0.8;\\Q10;\\T1.2;narrow") << QStringLiteral("narrow");
        QTest::newRow("literal signs") << g(1, "a\\\\b \\{c\\}") << QStringLiteral("a\\b {c}");
        QTest::newRow("groups") << g(1, "{\\fArial;A}{\\fTimes;B}") << QStringLiteral("AB");
        QTest::newRow("chunks in group 3") << g(3, "Sports ") + g(1, "hall") << QStringLiteral("Sports hall");
        QTest::newRow("escape and spaces") << g(1, "\\U+2116  \\P\\P 7 ") << QStringLiteral("№ 7");
    }
    void mtext()
    {
        QFETCH(QByteArray, groups);
        QFETCH(QString, name);
        const QByteArray mtextEntity
            = g(0, "MTEXT") + g(8, "TEXTS") + g(10, 5.0) + g(20, 5.0) + g(40, 0.3) + groups;
        const project::FloorPlanFile p
            = plan(dxf(rect("R", 0, 0, 10, 10) + mtextEntity), QStringLiteral("R"));
        QCOMPARE(p.rooms.size(), std::size_t(1));
        QCOMPARE(p.rooms[0].name, name);
    }

    void readingOrder_data()
    {
        QTest::addColumn<QByteArray>("texts");
        QTest::addColumn<QString>("name");
        QTest::newRow("a line, then below")
            << text("B", 5, 8, 0.5) + text("A", 1, 8.2, 0.5) + text("C", 0.5, 5) + text("D", 9, 2)
            << QStringLiteral("A B C D");
        QTest::newRow("more than half a height lower: next line")
            << text("Y", 1, 7.6, 0.5) + text("X", 5, 8, 0.5) << QStringLiteral("X Y");
        QTest::newRow("outside the room left out")
            << text("in", 1, 1) + text("out", 20, 1) << QStringLiteral("in");
        QTest::newRow("in a block, turned")
            << insert("T", "LABEL", 5, 5, 1, 1, 90) << QStringLiteral("first second");
        QTest::newRow("none") << QByteArray() << QString();
    }
    void readingOrder()
    {
        QFETCH(QByteArray, texts);
        QFETCH(QString, name);
        // The block's "second" stands left of "first" on one line; turned by
        // 90 degrees, "first" is above "second".
        const QByteArray label = block("LABEL", 0, 0, text("first", 1, 0, 0.3) + text("second", -1, 0, 0.3));
        const project::FloorPlanFile p
            = plan(dxf(rect("R", 0, 0, 10, 10) + texts, label), QStringLiteral("R"));
        QCOMPARE(p.rooms.size(), std::size_t(1));
        QCOMPARE(p.rooms[0].name, name);
    }

    void roomsInReadingOrder()
    {
        const QByteArray entities = rect("R", 10, 0, 5, 5) + rect("R", 0, 0, 5, 5) + rect("R", 0, 10, 5, 5)
            + text("low right", 11, 1) + text("low left", 1, 1) + text("top", 1, 11);
        const project::FloorPlanFile p = plan(dxf(entities));
        QCOMPARE(p.rooms.size(), std::size_t(3));
        QCOMPARE(p.rooms[0].name, QStringLiteral("top"));
        QCOMPARE(p.rooms[1].name, QStringLiteral("low left"));
        QCOMPARE(p.rooms[2].name, QStringLiteral("low right"));
    }

    void layers()
    {
        const QByteArray entities = rect("A", 0, 0, 2, 2) + rect("A", 5, 0, 2, 2) + rect("B", 0, 5, 3, 3)
            + g(0, "LINE") + g(8, "B") + g(10, 0.0) + g(20, 0.0) + g(11, 1.0) + g(21, 0.0)
            + text("x", 0, 0, 1, "C");
        const project::FloorPlanFile p = plan(dxf(entities));
        QCOMPARE(p.layers.size(), std::size_t(3));
        QCOMPARE(p.layers[0].name, QStringLiteral("A"));
        QCOMPARE(p.layers[0].closedOutlines, 2);
        QCOMPARE(p.layers[1].closedOutlines, 1);
        QCOMPARE(p.layers[2].name, QStringLiteral("C"));
        QCOMPARE(p.layers[2].closedOutlines, 0);
        QCOMPARE(p.layer, QStringLiteral("A"));
        QCOMPARE(p.rooms.size(), std::size_t(2));
        QCOMPARE(plan(dxf(entities), QStringLiteral("B")).rooms.size(), std::size_t(1));
        QCOMPARE(plan(dxf(entities), QStringLiteral("C")).rooms.size(), std::size_t(0));
        QCOMPARE(read(dxf(entities), QStringLiteral("Нет такого")).refusal,
                 QStringLiteral("В плане нет слоя «Нет такого»."));
    }

    void background()
    {
        const QByteArray entities = g(0, "LINE") + g(8, "W") + g(10, 0.0) + g(20, 0.0) + g(11, 1000.0)
            + g(21, 0.0) + g(0, "CIRCLE") + g(8, "C") + g(10, 0.0) + g(20, 0.0) + g(40, 1000.0) + g(0, "ARC")
            + g(8, "C") + g(10, 0.0) + g(20, 0.0) + g(40, 1000.0) + g(50, 0.0) + g(51, 90.0)
            + insert("D", "DOOR", 5000, 0) + insert("D", "DOOR", 9000, 0) + text("no line", 0, 0);
        const QByteArray door = block(
            "DOOR", 0, 0, g(0, "LINE") + g(8, "0") + g(10, 0.0) + g(20, 0.0) + g(11, 0.0) + g(21, 900.0));
        const project::FloorPlanFile p = plan(dxf(entities, door, headerVars("4")));
        QCOMPARE(p.background.size(), std::size_t(5));
        QCOMPARE(p.background[0].layer, QStringLiteral("W"));
        QCOMPARE(p.background[0].points, QPolygonF({QPointF(0, 0), QPointF(1, 0)}));
        QVERIFY(!p.background[0].closed);
        const drawing::Polyline &circle = p.background[1];
        QVERIFY(circle.closed);
        QCOMPARE(circle.points.size(), 120); // steps of 3 degrees
        for (const QPointF &point : circle.points)
            QVERIFY(near(std::hypot(point.x(), point.y()), 1.0, 1e-12));
        const drawing::Polyline &arc = p.background[2];
        QCOMPARE(arc.points.size(), 31);
        QVERIFY(near(arc.points.last().x(), 0.0, 1e-12) && near(arc.points.last().y(), 1.0, 1e-12));
        QCOMPARE(p.background[4].layer, QStringLiteral("D")); // layer 0 in the block: the insertion's
        QCOMPARE(p.background[4].points, QPolygonF({QPointF(9, 0), QPointF(9, 0.9)}));
    }

    void report_data()
    {
        QTest::addColumn<int>("rooms");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("small");
        QTest::addColumn<int>("crossing");
        QTest::addColumn<QString>("text");
        QTest::newRow("none skipped") << 12 << 0 << 0 << 0 << QStringLiteral("Найдено помещений: 12.");
        QTest::newRow("small") << 12 << 0 << 3 << 0
                               << QStringLiteral("Найдено помещений: 12. Пропущено: меньше 1 м² 3.");
        QTest::newRow("all") << 2 << 1 << 3 << 4
                             << QStringLiteral(
                                    "Найдено помещений: 2. Пропущено: незамкнутых 1, меньше 1 м² 3, с "
                                    "самопересечением 4.");
        QTest::newRow("open and crossing")
            << 0 << 5 << 0 << 1
            << QStringLiteral("Найдено помещений: 0. Пропущено: незамкнутых 5, с самопересечением 1.");
    }
    void report()
    {
        QFETCH(int, rooms);
        QFETCH(int, open);
        QFETCH(int, small);
        QFETCH(int, crossing);
        QFETCH(QString, text);
        project::FloorPlanFile p;
        p.rooms.resize(std::size_t(rooms));
        p.skipped = {open, small, crossing};
        QCOMPARE(project::planReport(p), text);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        const QString binary
            = QStringLiteral("Файл «plan.dxf» не прочитан: поддерживается только DXF в текстовом "
                             "виде; сохраните план в САПР как DXF.");
        const QString notDxf = QStringLiteral("Файл «plan.dxf» не прочитан: это не чертёж DXF.");
        QTest::newRow("binary DXF") << QByteArray("AutoCAD Binary DXF\r\n\x1a\0\0\x00SECTION", 32) << binary;
        QTest::newRow("DWG") << QByteArray("AC1032\0\0\0\0\0\x01", 12) << binary;
        QTest::newRow("empty") << QByteArray() << notDxf;
        QTest::newRow("text") << QByteArray("Помещения:\n1. Зал\n") << notDxf;
        QTest::newRow("starts with an entity") << rect("R", 0, 0, 2, 2) << notDxf;
    }
    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const PlanReading reading = read(bytes);
        QVERIFY(!reading.plan);
        QCOMPARE(reading.refusal, refusal);
    }

    void files()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("нет.dxf"));
        QCOMPARE(project::readFloorPlan(missing, {}).refusal,
                 QStringLiteral("Файл «%1» не прочитан: файла нет.").arg(missing));
        // Refused by its size before it is read: a sparse file of 257 MB.
        const QString large = dir.filePath(QStringLiteral("large.dxf"));
        QFile file(large);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(project::MaxPlanFileBytes + 1024 * 1024));
        file.close();
        QCOMPARE(project::readFloorPlan(large, {}).refusal,
                 QStringLiteral("Файл «%1» не прочитан: файл больше 256 МБ.").arg(large));
        const QString good = dir.filePath(QStringLiteral("plan.dxf"));
        QFile plan(good);
        QVERIFY(plan.open(QIODevice::WriteOnly)
                && plan.write(dxf(rect("R", 0, 0, 3, 3)
                                  + text(encoded("windows-1251", QStringLiteral("Зал")), 1, 1)))
                    > 0);
        plan.close();
        const PlanReading reading = project::readFloorPlan(good, {});
        QVERIFY(reading.plan);
        QCOMPARE(reading.plan->rooms.size(), std::size_t(1));
        QCOMPARE(reading.plan->rooms[0].name, QStringLiteral("Зал"));
    }

    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rooms");
        const QByteArray good = rect("R", 0, 0, 3, 3);
        const QByteArray head = g(0, "SECTION") + g(2, "ENTITIES");
        QTest::newRow("truncated in an entity")
            << head + good + g(0, "LWPOLYLINE") + g(8, "R") + "90\n4\n10\n5" << 1;
        QTest::newRow("truncated after a code") << head + good + "10\n" << 1;
        QTest::newRow("groups out of order") << head + g(0, "LWPOLYLINE") + g(10, 0.0) + g(20, 0.0)
                + g(10, 2.0) + g(20, 0.0) + g(10, 2.0) + g(20, 2.0) + g(70, "1") + g(8, "R")
                + g(90, "3") << 1;
        QTest::newRow("vertex count 2 000 000 000") << head + g(0, "LWPOLYLINE") + g(8, "R")
                + g(90, "2000000000") + g(70, "1") + g(10, 0.0) + g(20, 0.0) + g(10, 2.0) + g(20, 0.0)
                + g(10, 2.0) + g(20, 2.0) << 1;
        QTest::newRow("no vertex count, bulge first") << head + g(0, "LWPOLYLINE") + g(8, "R") + g(70, "1")
                + g(42, 1.0) + g(20, 7.0) + g(10, 0.0) + g(20, 0.0) + g(10, 2.0) + g(20, 0.0) + g(10, 2.0)
                + g(20, 2.0) << 1;
        QTest::newRow("a line of 5000 signs")
            << head + good + g(0, "TEXT") + g(1, QByteArray(5000, 'x')) + good << 2;
        QTest::newRow("a damaged code") << head + good + "abc\nLINE\n" + good << 1;
        QTest::newRow("CR LF") << QByteArray(head + good).replace("\n", "\r\n") << 1;
        QTest::newRow("strays") << head + g(0, "VERTEX") + g(10, 1.0) + g(0, "SEQEND") + g(9, "$X")
                + g(0, "ENDBLK") + g(999, "dxflib") + good + g(0, "INSERT") + g(2, "NOWHERE")
                                << 1;
        QTest::newRow("NaN and infinities")
            << head + lw("R", {{0, 0}, {7, 0}, {2, 2}}).replace("\n7\n", "\nnan\n")
                + lw("R", {{0, 0}, {7, 0}, {2, 2}}).replace("\n7\n", "\n1e400\n") + good
            << 1;
        QTest::newRow("a block never ended") << g(0, "SECTION") + g(2, "BLOCKS") + g(0, "BLOCK") + g(2, "X")
                + good + g(0, "ENDSEC") + head + insert("R", "X", 10, 0)
                + g(0, "ENDSEC") << 1;
        QTest::newRow("a block inside a block") << g(0, "SECTION") + g(2, "BLOCKS") + g(0, "BLOCK")
                + g(2, "X") + good + g(0, "BLOCK") + g(2, "Y") + good + g(0, "ENDBLK") + g(0, "ENDSEC") + head
                + insert("R", "X", 10, 0) + insert("R", "Y", 20, 0)
                + g(0, "ENDSEC") << 2;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rooms);
        const PlanReading reading = read(bytes, QStringLiteral("R"), PlanUnit::Metre);
        QVERIFY2(reading.plan, qPrintable(reading.refusal));
        QCOMPARE(int(reading.plan->rooms.size()), rooms);
    }

    void millionCorners()
    {
        // A round hall of radius 50 m drawn with 10^6 corners.
        const int n = 1000000;
        const double r = 50.0;
        QByteArray entity = g(0, "LWPOLYLINE") + g(8, "R") + g(90, double(n)) + g(70, "1");
        entity.reserve(40 * n);
        for (int i = 0; i < n; ++i) {
            const double a = 2.0 * M_PI * i / n;
            entity += "10\n" + QByteArray::number(r * std::cos(a), 'f', 9) + "\n20\n"
                + QByteArray::number(r * std::sin(a), 'f', 9) + '\n';
        }
        const project::FloorPlanFile p
            = plan(dxf(entity + text(encoded("windows-1251", QStringLiteral("Ротонда")), 0, 0)));
        QCOMPARE(p.rooms.size(), std::size_t(1));
        QCOMPARE(p.rooms[0].outline.outline().size(), std::size_t(n));
        QVERIFY(std::abs(p.rooms[0].outline.area() - M_PI * r * r) < 1e-6 * M_PI * r * r);
        QCOMPARE(p.rooms[0].name, QStringLiteral("Ротонда"));
    }

    void largeOutlineCrossing()
    {
        // 3000 corners along a zigzag whose last edge crosses the first:
        // checked through the grid, to calc::checkOutline's verdict.
        std::vector<P> points;
        for (int i = 0; i <= 3000; ++i)
            points.push_back({i * 0.01, (i % 2) * 0.01});
        points.push_back({30, 5});
        points.push_back({0, 5});
        points.push_back({15, -1});
        std::vector<QPointF> outline;
        for (const P &point : points)
            outline.emplace_back(point.x, point.y);
        QCOMPARE(calc::checkOutline(outline), calc::OutlineFault::SelfCrossing);
        const project::FloorPlanFile crossing = plan(dxf(lw("R", points)));
        QCOMPARE(crossing.skipped.selfCrossing, 1);
        points.pop_back();
        outline.pop_back();
        QCOMPARE(calc::checkOutline(outline), calc::OutlineFault::None);
        const project::FloorPlanFile fine = plan(dxf(lw("R", points)));
        QCOMPARE(fine.rooms.size(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestDxfPlan)
#include "tst_project_dxfplan.moc"
