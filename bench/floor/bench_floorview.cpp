// Speed of the floor view: a floor of 2 000 rooms (a grid of 10 x 8 m
// rooms) with 10 loudspeakers and their zones each, over an architect's
// plan of about 50 000 lines, painted into a 1600 x 1000 image fitted and
// zoomed in. Prints the milliseconds per paint, the median of 20: with the
// floor's image kept (a repaint, a selection, a pan within its margin),
// with it stretched (the wheel turning) and with it drawn anew (a new
// scale: the wheel at rest, "По размеру", a resize).

#include "project/floorview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

project::FloorDrawing benchFloor()
{
    project::FloorDrawing floor;
    floor.floor = QStringLiteral("1");
    constexpr int Columns = 50;
    constexpr int Rows = 40;
    constexpr double Length = 10.0;
    constexpr double Width = 8.0;
    constexpr double Pitch = 11.0; // a metre's corridor between rooms
    QRandomGenerator random(20261209);
    project::FloorRoomId id = 1;
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            const QPointF corner(column * Pitch, row * (Width + 1.0));
            project::FloorRoom room;
            room.id = id++;
            room.name = QStringLiteral("Помещение %1").arg(room.id);
            room.outline
                = calc::Shape::fromOutline({corner, corner + QPointF(Length, 0),
                                            corner + QPointF(Length, Width), corner + QPointF(0, Width)});
            room.countText = QStringLiteral("10");
            room.verdict = project::FloorVerdict(int(room.id % 3));
            room.model = QStringLiteral("Громкоговоритель 6 Вт");
            room.line = QStringLiteral("Л%1").arg(room.id % 20 + 1);
            for (int i = 0; i < 10; ++i) {
                const QPointF at = corner + QPointF(1.0 + (i % 5) * 2.0, 2.0 + (i / 5) * 4.0);
                room.loudspeakers.push_back({at, i + 1});
                room.zones.push_back(drawing::Circle{QStringLiteral("ЗОНЫ"), at, 1.9});
            }
            floor.rooms.push_back(std::move(room));
            // The architect's walls and, inside, furniture as short lines.
            floor.background.push_back(drawing::Polyline{
                QStringLiteral("СТЕНЫ"),
                QPolygonF({corner - QPointF(0.1, 0.1), corner + QPointF(Length + 0.1, -0.1),
                           corner + QPointF(Length + 0.1, Width + 0.1), corner + QPointF(-0.1, Width + 0.1)}),
                true});
            for (int i = 0; i < 24; ++i) {
                const QPointF a = corner + QPointF(random.bounded(Length), random.bounded(Width));
                const QPointF b = a + QPointF(random.bounded(2.0) - 1.0, random.bounded(2.0) - 1.0);
                floor.background.push_back(
                    drawing::Polyline{QStringLiteral("МЕБЕЛЬ"), QPolygonF({a, b}), false});
            }
        }
    }
    floor.backgroundNote = QStringLiteral("План «этаж-1.dxf»");
    return floor;
}

void wheel(project::FloorView &view, QPointF at, int delta)
{
    QWheelEvent event(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &event);
}

// A drag with the left button by delta (the view pans).
void drag(project::FloorView &view, QPointF from, QPointF delta)
{
    const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + delta, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + delta, Qt::NoButton);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of runs paints, each after prepare.
double paintMs(project::FloorView &view, QImage &image, const std::function<void(int)> &prepare,
               int runs = 20, std::vector<double> *all = nullptr)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        QElapsedTimer timer;
        timer.start();
        view.render(&image);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (all)
        *all = times;
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QElapsedTimer timer;
    timer.start();
    project::FloorDrawing floor = benchFloor();
    std::size_t loudspeakers = 0;
    for (const project::FloorRoom &room : floor.rooms)
        loudspeakers += room.loudspeakers.size();
    const std::size_t rooms = floor.rooms.size();
    const std::size_t lines = floor.background.size();
    std::printf("floor: %zu rooms, %zu loudspeakers, %zu background lines (built in %.0f ms)\n", rooms,
                loudspeakers, lines, double(timer.elapsed()));

    project::FloorView view;
    view.resize(1600, 1000);
    timer.restart();
    view.setDrawing(std::move(floor));
    std::printf("setDrawing (prepare the scene, fit): %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    QImage image(1600, 1000, QImage::Format_ARGB32_Premultiplied);

    timer.restart();
    view.render(&image);
    std::printf("fitted, first paint (drawn anew): %.1f ms at %.2f px/m\n",
                double(timer.nsecsElapsed()) / 1e6, view.scale());
    std::printf("fitted, repaint: %.1f ms\n", paintMs(view, image, [](int) {}));
    // With a folder named, the fitted and the zoomed views are kept there.
    const QString pictures = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!pictures.isEmpty())
        image.save(pictures + QStringLiteral("/floor-fitted.png"));
    view.setSelectedRoom(1000);
    std::printf("fitted, a room selected: %.1f ms\n",
                paintMs(view, image, [&](int i) { view.setSelectedRoom(project::FloorRoomId(1 + i * 97)); }));
    const QPointF middle(800, 500);
    std::printf("fitted, wheel turning (image stretched): %.1f ms\n",
                paintMs(view, image, [&](int i) { wheel(view, middle, i % 2 ? -120 : 120); }));
    std::printf("fitted, new scale (drawn anew): %.1f ms\n",
                paintMs(view, image, [&](int i) { view.zoomAt(middle, i % 2 ? 1.0 / 1.19 : 1.19); }));

    view.fitToView();
    view.zoomAt(middle, 40.0 / view.scale()); // 40 px/m: names, counts and numbers readable
    view.render(&image);
    if (!pictures.isEmpty())
        image.save(pictures + QStringLiteral("/floor-zoomed.png"));
    std::printf("zoomed to %.0f px/m, repaint: %.1f ms\n", view.scale(), paintMs(view, image, [](int) {}));
    std::vector<double> pans;
    drag(view, middle, QPointF(10, 0)); // the first sets up the cursor's shape
    view.render(&image);
    std::printf("zoomed, drags of 10 px one way: median %.1f ms",
                paintMs(
                    view, image, [&](int) { drag(view, middle, QPointF(10, 0)); }, 40, &pans));
    std::printf(", slowest %.1f ms (the image drawn anew past its margin)\n",
                *std::max_element(pans.begin(), pans.end()));
    std::printf("zoomed, wheel turning (image stretched): %.1f ms\n",
                paintMs(view, image, [&](int i) { wheel(view, middle, i % 2 ? -120 : 120); }));
    std::printf("zoomed, new scale (drawn anew): %.1f ms\n",
                paintMs(view, image, [&](int i) { view.zoomAt(middle, i % 2 ? 1.0 / 1.19 : 1.19); }));
    return 0;
}
