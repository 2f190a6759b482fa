// A floor's drawing: its DXF read back through dxflib's own reader, and its
// view: fitting, clicks, the wheel and the tints.

#include "project/floordrawing.h"
#include "project/floordxf.h"
#include "project/floorview.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <map>
#include <sstream>

using namespace project;

namespace {

// A hall, an L-shaped office (whose centroid falls outside it) and a store
// without loudspeakers, with the point inside each where its tint shows
// (clear of zones, loudspeakers and texts).
struct Example {
    FloorRoomId id;
    QString name;
    std::vector<QPointF> corners; // counter-clockwise
    FloorVerdict verdict;
    std::vector<QPointF> loudspeakers;
    double zoneRadius;
    QPointF tintPoint;
};

const std::vector<Example> &examples()
{
    static const std::vector<Example> all{
        {11,
         QStringLiteral("Зал"),
         {{0, 0}, {10, 0}, {10, 6}, {0, 6}},
         FloorVerdict::Met,
         {{3, 3}, {7, 3}},
         2.0,
         {1.0, 5.5}},
        {22,
         QStringLiteral("Кабинет №2"),
         {{12, 0}, {20, 0}, {20, 3}, {15, 3}, {15, 8}, {12, 8}},
         FloorVerdict::Short,
         {{13.5, 1.5}, {13.5, 6}, {18, 1.5}},
         1.2,
         {19.5, 2.6}},
        {33,
         QStringLiteral("Склад"),
         {{0, 8}, {8, 8}, {8, 14}, {0, 14}},
         FloorVerdict::NoData,
         {},
         0.0,
         {1.0, 13.0}},
    };
    return all;
}

FloorDrawing exampleFloor()
{
    FloorDrawing floor;
    floor.floor = QStringLiteral("1");
    for (const Example &example : examples()) {
        FloorRoom room;
        room.id = example.id;
        room.name = example.name;
        room.outline = calc::Shape::fromOutline(example.corners);
        room.countText = QString::number(example.loudspeakers.size());
        room.verdict = example.verdict;
        room.model = QStringLiteral("АС-6");
        room.line = QStringLiteral("Линия %1").arg(example.id);
        int number = 0;
        for (const QPointF &at : example.loudspeakers) {
            room.loudspeakers.push_back({at, ++number});
            room.zones.push_back(drawing::Circle{QStringLiteral("z"), at, example.zoneRadius});
        }
        floor.rooms.push_back(room);
    }
    // A zone given as a polyline, and the architect's walls.
    floor.rooms[2].zones.push_back(
        drawing::Polyline{QStringLiteral("z"), QPolygonF({{1, 9}, {3, 9}, {3, 11}}), true});
    floor.background.push_back(drawing::Polyline{QStringLiteral("walls"),
                                                 QPolygonF({{-1, -1}, {21, -1}, {21, 15}, {-1, 15}}), true});
    return floor;
}

const Example &exampleOf(FloorRoomId id)
{
    for (const Example &example : examples())
        if (example.id == id)
            return example;
    return examples().front();
}

QString decoded(const std::string &bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder(QByteArray::fromStdString(bytes));
}

// What dxflib's reader finds in a drawing.
struct ReadDrawing : DL_CreationAdapter {
    struct Insert {
        QString block;
        QString layer;
        QPointF at;
        std::map<QString, QString> attributes;
    };
    struct Line {
        QString layer;
        bool closed = false;
        QPolygonF points;
    };
    struct Text {
        QString layer;
        QString text;
        QPointF at;
    };
    struct Circle {
        QString layer;
        QString block; // empty in the entities
        double radius = 0.0;
    };

    QStringList layers;
    QStringList blocks;
    std::vector<Insert> inserts;
    std::vector<Line> lines;
    std::vector<Text> texts;
    std::vector<Circle> circles;
    std::map<std::string, int> variables;
    QString block; // the block being read

    QString layer() { return decoded(getAttributes().getLayer()); }

    void addLayer(const DL_LayerData &data) override { layers << decoded(data.name); }
    void addBlock(const DL_BlockData &data) override
    {
        block = decoded(data.name);
        blocks << block;
    }
    void endBlock() override { block.clear(); }
    void addInsert(const DL_InsertData &data) override
    {
        inserts.push_back({decoded(data.name), layer(), QPointF(data.ipx, data.ipy), {}});
    }
    void addAttribute(const DL_AttributeData &data) override
    {
        if (!inserts.empty())
            inserts.back().attributes[decoded(data.tag)] = decoded(data.text);
    }
    void addPolyline(const DL_PolylineData &data) override
    {
        if (block.isEmpty())
            lines.push_back({layer(), (data.flags & 1) != 0, {}});
    }
    void addVertex(const DL_VertexData &data) override
    {
        if (block.isEmpty() && !lines.empty())
            lines.back().points.append(QPointF(data.x, data.y));
    }
    void addText(const DL_TextData &data) override
    {
        const bool aligned = data.hJustification != 0 || data.vJustification != 0;
        texts.push_back({layer(), decoded(data.text),
                         aligned ? QPointF(data.apx, data.apy) : QPointF(data.ipx, data.ipy)});
    }
    void addCircle(const DL_CircleData &data) override { circles.push_back({layer(), block, data.radius}); }
    using DL_CreationAdapter::setVariableInt;
    void setVariableInt(const std::string &key, int value, int) override { variables[key] = value; }

    std::vector<Line> linesOn(const QString &name) const
    {
        std::vector<Line> found;
        for (const Line &line : lines)
            if (line.layer == name)
                found.push_back(line);
        return found;
    }
};

ReadDrawing readBack(const QByteArray &bytes)
{
    ReadDrawing drawing;
    std::istringstream stream(bytes.toStdString());
    DL_Dxf dxf;
    dxf.in(stream, &drawing);
    return drawing;
}

QPolygonF scaled(const std::vector<QPointF> &corners, double units)
{
    QPolygonF polygon;
    for (const QPointF &corner : corners)
        polygon.append(corner * units);
    return polygon;
}

bool near(QPointF a, QPointF b, double tolerance)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

// The room whose outline, scaled, holds the point, or 0.
FloorRoomId roomHolding(QPointF point, double units)
{
    for (const Example &example : examples())
        if (scaled(example.corners, units).containsPoint(point, Qt::OddEvenFill))
            return example.id;
    return 0;
}

enum class Hue { Green, Red, Grey };

Hue hueOf(QColor colour)
{
    if (colour.green() > colour.red() + 25 && colour.green() > colour.blue() + 25)
        return Hue::Green;
    if (colour.red() > colour.green() + 25 && colour.red() > colour.blue() + 25)
        return Hue::Red;
    return Hue::Grey;
}

Hue hueOf(FloorVerdict verdict)
{
    return verdict == FloorVerdict::Met ? Hue::Green : verdict == FloorVerdict::Short ? Hue::Red : Hue::Grey;
}

QImage rendered(FloorView &view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    view.render(&image);
    return image;
}

} // namespace

class FloorTest : public QObject {
    Q_OBJECT

private slots:
    void dxfLayersAndBlock_data();
    void dxfLayersAndBlock();
    void dxfLoudspeakers_data();
    void dxfLoudspeakers();
    void dxfOutlinesZonesAndLabels_data();
    void dxfOutlinesZonesAndLabels();
    void labelPointLiesInside_data();
    void labelPointLiesInside();

    void fitShowsEveryRoom();
    void clickAndDoubleClick_data();
    void clickAndDoubleClick();
    void clickOutsideRooms();
    void wheelKeepsThePointUnderThePointer_data();
    void wheelKeepsThePointUnderThePointer();
    void selectionIsDrawn();
    void redrawKeepsTheView();
    void backgroundNoteIsShown();
    void dxfCharactersOutsideTheCodePage();
    void tabControls();
    void floorsList();
};

void FloorTest::dxfLayersAndBlock_data()
{
    QTest::addColumn<double>("units");
    QTest::addColumn<int>("insUnits");
    QTest::newRow("mm") << 1000.0 << 4;
    QTest::newRow("cm") << 100.0 << 5;
    QTest::newRow("m") << 1.0 << 6;
    QTest::newRow("in") << 1.0 / 0.0254 << 1;
    QTest::newRow("ft") << 1.0 / 0.3048 << 2;
}

void FloorTest::dxfLayersAndBlock()
{
    QFETCH(double, units);
    QFETCH(int, insUnits);
    const ReadDrawing drawing = readBack(floorDxf(exampleFloor(), units));
    QStringList layers = drawing.layers;
    layers.sort();
    QStringList expected{"0", "ГРОМКОГОВОРИТЕЛИ", "ЗОНЫ", "ПОДПИСИ", "ПОМЕЩЕНИЯ"};
    expected.sort();
    QCOMPARE(layers, expected);
    QCOMPARE(drawing.variables.at("$INSUNITS"), insUnits);
    // The block is defined once, with a circle 100 mm across in the units.
    QCOMPARE(drawing.blocks.count("ГРОМКОГОВОРИТЕЛЬ"), 1);
    int blockCircles = 0;
    for (const ReadDrawing::Circle &circle : drawing.circles)
        if (circle.block == "ГРОМКОГОВОРИТЕЛЬ") {
            ++blockCircles;
            QVERIFY2(std::abs(circle.radius - 0.05 * units) < 1e-6 * units,
                     qPrintable(QString::number(circle.radius)));
        }
    QCOMPARE(blockCircles, 1);
}

void FloorTest::dxfLoudspeakers_data()
{
    QTest::addColumn<double>("units");
    QTest::newRow("mm") << 1000.0;
    QTest::newRow("m") << 1.0;
    QTest::newRow("in") << 1.0 / 0.0254;
}

void FloorTest::dxfLoudspeakers()
{
    QFETCH(double, units);
    const ReadDrawing drawing = readBack(floorDxf(exampleFloor(), units));
    std::size_t total = 0;
    for (const Example &example : examples())
        total += example.loudspeakers.size();
    QCOMPARE(drawing.inserts.size(), total);

    std::map<FloorRoomId, int> numbers;
    for (const ReadDrawing::Insert &insert : drawing.inserts) {
        QCOMPARE(insert.block, QStringLiteral("ГРОМКОГОВОРИТЕЛЬ"));
        QCOMPARE(insert.layer, QStringLiteral("ГРОМКОГОВОРИТЕЛИ"));
        const FloorRoomId id = roomHolding(insert.at, units);
        QVERIFY2(id != 0, qPrintable(QStringLiteral("%1 %2").arg(insert.at.x()).arg(insert.at.y())));
        const Example &example = exampleOf(id);
        // In the room's order, at its loudspeaker's place in the units.
        const int number = ++numbers[id];
        QVERIFY(near(insert.at, example.loudspeakers[std::size_t(number - 1)] * units, 1e-6 * units));
        QCOMPARE(insert.attributes.size(), std::size_t(4));
        QCOMPARE(insert.attributes.at("НОМЕР"), QString::number(number));
        QCOMPARE(insert.attributes.at("МАРКА"), QStringLiteral("АС-6"));
        QCOMPARE(insert.attributes.at("ЛИНИЯ"), QStringLiteral("Линия %1").arg(id));
        QCOMPARE(insert.attributes.at("ПОМЕЩЕНИЕ"), example.name);
    }
}

void FloorTest::dxfOutlinesZonesAndLabels_data()
{
    QTest::addColumn<double>("units");
    QTest::newRow("mm") << 1000.0;
    QTest::newRow("m") << 1.0;
}

void FloorTest::dxfOutlinesZonesAndLabels()
{
    QFETCH(double, units);
    const ReadDrawing drawing = readBack(floorDxf(exampleFloor(), units));

    const auto outlines = drawing.linesOn("ПОМЕЩЕНИЯ");
    QCOMPARE(outlines.size(), examples().size());
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        QVERIFY(outlines[i].closed);
        const QPolygonF expected = scaled(examples()[i].corners, units);
        QCOMPARE(outlines[i].points.size(), expected.size());
        for (qsizetype k = 0; k < expected.size(); ++k)
            QVERIFY(near(outlines[i].points[k], expected[k], 1e-6 * units));
    }

    // Every zone on its layer: the circles and the one polyline.
    int zoneCircles = 0;
    for (const ReadDrawing::Circle &circle : drawing.circles)
        if (circle.block.isEmpty()) {
            QCOMPARE(circle.layer, QStringLiteral("ЗОНЫ"));
            ++zoneCircles;
        }
    QCOMPARE(zoneCircles, 5);
    const auto zoneLines = drawing.linesOn("ЗОНЫ");
    QCOMPARE(zoneLines.size(), std::size_t(1));
    QVERIFY(near(zoneLines[0].points[1], QPointF(3, 9) * units, 1e-6 * units));

    // Each room's name and count, inside the room.
    QStringList labels;
    for (const ReadDrawing::Text &text : drawing.texts) {
        if (text.layer != "ПОДПИСИ")
            continue;
        labels << text.text;
        const FloorRoomId id = roomHolding(text.at, units);
        QVERIFY2(id != 0, qPrintable(text.text));
        QVERIFY(text.text == exampleOf(id).name
                || text.text == QString::number(exampleOf(id).loudspeakers.size()));
    }
    labels.sort();
    QCOMPARE(labels, QStringList({"0", "2", "3", "Зал", "Кабинет №2", "Склад"}));
}

void FloorTest::labelPointLiesInside_data()
{
    QTest::addColumn<std::vector<QPointF>>("corners");
    QTest::addColumn<QPointF>("centre"); // where the centre is the area's, else a null point
    QTest::newRow("rectangle") << std::vector<QPointF>{{0, 0}, {10, 0}, {10, 6}, {0, 6}} << QPointF(5, 3);
    QTest::newRow("far from zero") << std::vector<QPointF>{{1e5, 2e5},
                                                           {1e5 + 4, 2e5},
                                                           {1e5 + 4, 2e5 + 2},
                                                           {1e5, 2e5 + 2}}
                                   << QPointF(1e5 + 2, 2e5 + 1);
    QTest::newRow("L") << std::vector<QPointF>{{12, 0}, {20, 0}, {20, 3}, {15, 3}, {15, 8}, {12, 8}}
                       << QPointF();
    QTest::newRow("U") << std::vector<QPointF>{{0, 0}, {9, 0}, {9, 9}, {6, 9}, {6, 2}, {3, 2}, {3, 9}, {0, 9}}
                       << QPointF();
    QTest::newRow("thin ring arc") << std::vector<QPointF>{{0, 0}, {10, 0}, {10, 10}, {9, 10},
                                                           {9, 1}, {1, 1},  {1, 10},  {0, 10}}
                                   << QPointF();
}

void FloorTest::labelPointLiesInside()
{
    QFETCH(std::vector<QPointF>, corners);
    QFETCH(QPointF, centre);
    const calc::Shape shape = calc::Shape::fromOutline(corners);
    const QPointF point = floorplan::labelPoint(shape);
    QVERIFY2(shape.contains(point) && shape.distanceToOutline(point) > 1e-6,
             qPrintable(QStringLiteral("%1 %2").arg(point.x()).arg(point.y())));
    if (!centre.isNull())
        QVERIFY(near(point, centre, 1e-9 * std::max(1.0, std::abs(centre.x()))));
}

void FloorTest::fitShowsEveryRoom()
{
    FloorView view;
    view.resize(500, 350);
    view.setDrawing(exampleFloor());
    // Away first, then back.
    view.zoomAt(QPointF(10, 10), 30.0);
    view.fitToView();
    const QImage image = rendered(view);
    for (const Example &example : examples()) {
        for (const QPointF &corner : example.corners)
            QVERIFY(QRectF(view.rect()).contains(view.toWidget(corner)));
        const QPoint at = view.toWidget(example.tintPoint).toPoint();
        QCOMPARE(hueOf(image.pixelColor(at)), hueOf(example.verdict));
    }
    // The floor fills the view in one direction at least.
    const QRectF walls(view.toWidget(QPointF(-1, 15)), view.toWidget(QPointF(21, -1)));
    QVERIFY(walls.width() > 0.9 * view.width() || walls.height() > 0.9 * view.height());
}

void FloorTest::clickAndDoubleClick_data()
{
    QTest::addColumn<quint64>("id");
    for (const Example &example : examples())
        QTest::newRow(qPrintable(example.name)) << quint64(example.id);
}

void FloorTest::clickAndDoubleClick()
{
    QFETCH(quint64, id);
    FloorView view;
    view.resize(500, 350);
    view.setDrawing(exampleFloor());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy clicked(&view, &FloorView::roomClicked);
    QSignalSpy activated(&view, &FloorView::roomActivated);
    const QPoint at
        = view.toWidget(floorplan::labelPoint(calc::Shape::fromOutline(exampleOf(id).corners))).toPoint();
    QTest::mouseClick(&view, Qt::LeftButton, {}, at);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.at(0).at(0).value<FloorRoomId>(), id);
    QCOMPARE(view.selectedRoom(), id);
    QCOMPARE(activated.size(), 0);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, at);
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated.at(0).at(0).value<FloorRoomId>(), id);
}

void FloorTest::clickOutsideRooms()
{
    FloorView view;
    view.resize(500, 350);
    view.setDrawing(exampleFloor());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy clicked(&view, &FloorView::roomClicked);
    QSignalSpy activated(&view, &FloorView::roomActivated);
    // The corridor between the hall and the store, and the corner the L leaves.
    for (const QPointF floorPoint : {QPointF(5, 7), QPointF(18, 6)}) {
        const QPoint at = view.toWidget(floorPoint).toPoint();
        QTest::mouseClick(&view, Qt::LeftButton, {}, at);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, at);
    }
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(activated.size(), 0);
    // A drag pans: no click, and the floor moves with the pointer.
    const QPoint from = view.toWidget(QPointF(1, 5.5)).toPoint();
    const QPointF before = view.toFloor(from);
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    QTest::mouseMove(&view, from + QPoint(40, 30));
    QTest::mouseMove(&view, from + QPoint(80, 60));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, from + QPoint(80, 60));
    QCOMPARE(clicked.size(), 0);
    QVERIFY(near(view.toFloor(from + QPoint(80, 60)), before, 1e-9));
}

void FloorTest::wheelKeepsThePointUnderThePointer_data()
{
    QTest::addColumn<QPointF>("floorPoint");
    QTest::addColumn<int>("delta");
    QTest::addColumn<quint64>("room");
    QTest::newRow("in, on the hall's edge") << QPointF(9.6, 0.4) << 120 << quint64(11);
    QTest::newRow("in twice, the office") << QPointF(19.7, 2.7) << 240 << quint64(22);
    QTest::newRow("out, the store") << QPointF(0.3, 13.7) << -360 << quint64(33);
}

void FloorTest::wheelKeepsThePointUnderThePointer()
{
    QFETCH(QPointF, floorPoint);
    QFETCH(int, delta);
    QFETCH(quint64, room);
    FloorView view;
    view.resize(500, 350);
    view.setDrawing(exampleFloor());
    const QPoint position = view.toWidget(floorPoint).toPoint();
    const QPointF under = view.toFloor(position);
    const double scale = view.scale();

    QWheelEvent wheel(position, view.mapToGlobal(position), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    QVERIFY(delta > 0 ? view.scale() > scale * 1.1 : view.scale() < scale / 1.1);
    QVERIFY(near(view.toFloor(position), under, 1e-9));
    QVERIFY(near(view.toWidget(under), position, 1e-6));
    // What is drawn under the pointer is still that room.
    const QImage image = rendered(view);
    QCOMPARE(hueOf(image.pixelColor(position)), hueOf(exampleOf(room).verdict));
}

void FloorTest::selectionIsDrawn()
{
    FloorView view;
    view.resize(500, 350);
    view.setDrawing(exampleFloor());
    const QImage plain = rendered(view);
    view.setSelectedRoom(22);
    QVERIFY(view.hasSelection());
    const QImage selected = rendered(view);
    // The office's edge changes colour; the hall's does not.
    const QPoint officeEdge = view.toWidget(QPointF(20, 1.5)).toPoint();
    const QPoint hallEdge = view.toWidget(QPointF(10, 1.5)).toPoint();
    QVERIFY(plain.pixelColor(officeEdge) != selected.pixelColor(officeEdge));
    QCOMPARE(plain.pixelColor(hallEdge), selected.pixelColor(hallEdge));
    view.setSelectedRoom(999); // not on the floor
    QVERIFY(!view.hasSelection());

    // A room chosen out of view is brought into it; one in view stays put.
    view.zoomAt(view.toWidget(QPointF(2, 2)), 12.0);
    const QPointF centre = view.centre();
    view.setSelectedRoom(11);
    QCOMPARE(view.centre(), centre);
    view.setSelectedRoom(33);
    QVERIFY(QRectF(view.rect()).contains(view.toWidget(QPointF(4, 11))));
}

void FloorTest::redrawKeepsTheView()
{
    FloorView view;
    view.resize(500, 350);
    FloorDrawing floor = exampleFloor();
    view.setDrawing(floor);
    const double fitted = view.scale();
    // Fitted, a drawing with more of the floor is fitted anew.
    floor.background.push_back(
        drawing::Polyline{QStringLiteral("walls"), QPolygonF({{-20, -1}, {-20, 15}}), false});
    view.setDrawing(floor);
    QVERIFY(view.scale() < fitted);
    const double wider = view.scale();
    // Zoomed, the same floor with new figures stays put, the selection kept.
    view.zoomAt(QPointF(100, 100), 4.0);
    view.setSelectedRoom(22);
    const QPointF centre = view.centre();
    floor.rooms[1].verdict = FloorVerdict::Met;
    view.setDrawing(floor);
    QCOMPARE(view.scale(), wider * 4.0);
    QCOMPARE(view.centre(), centre);
    QCOMPARE(view.selectedRoom(), FloorRoomId(22));
    // Another floor is fitted; the selection of a room not on it goes.
    floor.floor = QStringLiteral("2");
    floor.rooms.erase(floor.rooms.begin() + 1);
    view.setDrawing(floor);
    QCOMPARE(view.scale(), wider);
    QVERIFY(!view.hasSelection());
}

void FloorTest::backgroundNoteIsShown()
{
    FloorView view;
    view.resize(500, 350);
    FloorDrawing floor = exampleFloor();
    view.setDrawing(floor);
    const QImage without = rendered(view);
    floor.backgroundNote = QStringLiteral("План «этаж-1.dxf» не найден");
    view.setDrawing(floor);
    const QImage with = rendered(view);
    // Dark text in the top left corner, and only there.
    int changedInCorner = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 250; ++x)
            changedInCorner += with.pixel(x, y) != without.pixel(x, y);
    QVERIFY(changedInCorner > 50);
    QCOMPARE(with.copy(0, 60, 500, 290), without.copy(0, 60, 500, 290));
}

void FloorTest::dxfCharactersOutsideTheCodePage()
{
    FloorDrawing floor = exampleFloor();
    floor.rooms[0].name = QStringLiteral("Зал — малый");
    const ReadDrawing drawing = readBack(floorDxf(floor, 1000.0));
    QStringList names;
    for (const ReadDrawing::Text &text : drawing.texts)
        names << text.text;
    QVERIFY2(names.contains(QStringLiteral("Зал \\U+2014 малый")), qPrintable(names.join('|')));
    QCOMPARE(drawing.inserts.front().attributes.at("ПОМЕЩЕНИЕ"), QStringLiteral("Зал \\U+2014 малый"));
}

void FloorTest::tabControls()
{
    FloorTab tab;
    tab.resize(640, 480);
    tab.setFloors({"1", "2", "Подвал"});
    tab.view()->setDrawing(exampleFloor());
    tab.show();
    QVERIFY(QTest::qWaitForWindowActive(&tab));

    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(tab.floorBox());
    QCOMPARE(box->text(QAccessible::Name), QStringLiteral("Этаж"));
    QCOMPARE(box->text(QAccessible::Value), QStringLiteral("1"));
    // The entries are on the bus as the combo's list.
    QStringList entries;
    for (int i = 0; i < box->childCount(); ++i) {
        QAccessibleInterface *child = box->child(i);
        if (child->role() == QAccessible::List)
            for (int k = 0; k < child->childCount(); ++k)
                entries << child->child(k)->text(QAccessible::Name);
    }
    QCOMPARE(entries, QStringList({"1", "2", "Подвал"}));
    QAccessibleInterface *tints = QAccessible::queryAccessibleInterface(tab.tintBox());
    QCOMPARE(tints->text(QAccessible::Name), QStringLiteral("Окраска"));
    QCOMPARE(tints->text(QAccessible::Value), QStringLiteral("по уровню"));
    QCOMPARE(tab.tint(), FloorTint::Level);
    QSignalSpy tintChosen(&tab, &FloorTab::tintChosen);
    tab.tintBox()->setCurrentIndex(1); // as the user chooses
    QCOMPARE(tintChosen.size(), 1);
    QCOMPARE(tab.tint(), FloorTint::Intelligibility);
    QCOMPARE(tints->text(QAccessible::Value), QStringLiteral("по разборчивости (STI)"));
    QCOMPARE(QAccessible::queryAccessibleInterface(tab.fitButton())->text(QAccessible::Name),
             QStringLiteral("По размеру"));

    // Tab: the floors, the tints, the button, the view.
    tab.floorBox()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), tab.tintBox());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), tab.fitButton());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), tab.view());

    // "По размеру" brings the whole floor back after a zoom.
    const double fitted = tab.view()->scale();
    tab.view()->zoomAt(QPointF(20, 20), 8.0);
    QTest::mouseClick(tab.fitButton(), Qt::LeftButton);
    QCOMPARE(tab.view()->scale(), fitted);

    if (const QString dir = qEnvironmentVariable("PLANNER_FLOOR_PNG"); !dir.isEmpty()) {
        FloorDrawing floor = exampleFloor();
        floor.backgroundNote = QStringLiteral("План «этаж-1.dxf» не найден");
        tab.view()->setDrawing(floor);
        tab.view()->setSelectedRoom(22);
        tab.grab().save(dir + "/floor-tab.png");
        tab.view()->zoomAt(tab.view()->toWidget(QPointF(14, 3)), 3.0);
        tab.grab().save(dir + "/floor-tab-zoomed.png");
    }
}

void FloorTest::floorsList()
{
    FloorTab tab;
    QSignalSpy chosen(&tab, &FloorTab::floorChosen);
    tab.setFloors({"1", "2"});
    QCOMPARE(chosen.size(), 1); // the first, chosen for want of another
    QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("1"));
    tab.setCurrentFloor("2");
    QCOMPARE(chosen.size(), 1);
    tab.setFloors({"0", "1", "2"}); // "2" stays
    QCOMPARE(tab.currentFloor(), QStringLiteral("2"));
    QCOMPARE(chosen.size(), 1);
    tab.floorBox()->setCurrentIndex(0); // as the user chooses
    QCOMPARE(chosen.size(), 2);
    QCOMPARE(chosen.at(1).at(0).toString(), QStringLiteral("0"));
    tab.setFloors({});
    QCOMPARE(tab.currentFloor(), QString());
    QCOMPARE(chosen.size(), 2);
}

QTEST_MAIN(FloorTest)
#include "tst_project_floor.moc"
