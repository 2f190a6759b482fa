#include "plandrawing.h"

#include "calc/numberformat.h"
#include "plantexts.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace plan {

namespace {

constexpr double LabelPoints = 9.0;
constexpr double NumberPoints = 8.0;
constexpr double MinGridPixels = 8.0;  // screen pixels between grid lines, at least
constexpr double MaxBarPixels = 150.0; // screen pixels of the scale bar, at most

const QColor Ink(40, 40, 40);
const QColor GridLine(0, 0, 0, 38);
const QColor ZoneLine(31, 92, 165, 170);
const QColor Marker(20, 50, 120);
const QColor Halo(255, 255, 255, 210);

QFont sizedFont(const QPainter &painter, double points)
{
    QFont font = painter.font();
    font.setPointSizeF(points);
    return font;
}

double unitOf(const QPaintDevice &device)
{
    const int dpi = device.logicalDpiY();
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// The margins around the room: the dimension lines above and to the left,
// the scale bar and the legend below.
struct Margins {
    double left, top, right, bottom;
};

Margins marginsFor(double textHeight, double unit)
{
    const double gap = 6.0 * unit;
    return {textHeight + 3.0 * gap, textHeight + 3.0 * gap, 2.0 * gap, textHeight + 4.0 * gap};
}

// Steps of the 1-2-5 series from 0.1 m up.
double seriesStep(int index)
{
    static constexpr double Mantissa[] = {1.0, 2.0, 5.0};
    return Mantissa[index % 3] * std::pow(10.0, index / 3 - 1);
}

// The zone of one loudspeaker, drawn in device coordinates. Each zone is
// its own call: the raster engine draws thousands of small shapes far
// faster one by one than as one path of thousands of parts.
void drawZone(QPainter &painter, const ZoneForm &form, const Placement &placement, const QTransform &toDevice,
              double scale)
{
    const QPointF at = placement.position;
    const double facing = placement.side == Side::FarWall ? -1.0 : 1.0;
    switch (form.shape) {
    case ZoneShape::None: return;
    case ZoneShape::Disc:
        painter.drawEllipse(toDevice.map(at), form.radius * scale, form.radius * scale);
        return;
    case ZoneShape::Sector: {
        // The arc in as many steps as keep it smooth at this scale.
        const double pixels = form.radius * scale;
        const int steps = int(std::clamp(pixels / 3.0, 8.0, 96.0));
        QPolygonF outline;
        outline.reserve(steps + 2);
        outline << toDevice.map(at);
        for (int i = 0; i <= steps; ++i) {
            const double angle = -form.halfAngle + 2.0 * form.halfAngle * i / steps;
            outline << toDevice.map(QPointF(at.x() + form.radius * std::sin(angle),
                                            at.y() + facing * form.radius * std::cos(angle)));
        }
        painter.drawPolygon(outline);
        return;
    }
    case ZoneShape::Ellipse: {
        const double centre = (form.nearDistance + form.farDistance) / 2.0;
        const double semiAcross = (form.farDistance - form.nearDistance) / 2.0;
        painter.drawEllipse(toDevice.map(QPointF(at.x(), at.y() + facing * centre)), form.halfAlong * scale,
                            semiAcross * scale);
        return;
    }
    case ZoneShape::Trapezium: {
        const double nearY = at.y() + facing * form.nearDistance;
        const double farY = at.y() + facing * form.farDistance;
        painter.drawPolygon(toDevice.map(QPolygonF(
            {QPointF(at.x() - form.nearHalfWidth, nearY), QPointF(at.x() + form.nearHalfWidth, nearY),
             QPointF(at.x() + form.farHalfWidth, farY), QPointF(at.x() - form.farHalfWidth, farY)})));
        return;
    }
    }
}

void drawHaloText(QPainter &painter, const QRectF &box, const QString &text)
{
    painter.fillRect(box, Halo);
    painter.drawText(box, Qt::AlignCenter, text);
}

// Ticks across both ends of a dimension line.
void drawDimension(QPainter &painter, QPointF from, QPointF to, double tick)
{
    const bool horizontal = std::abs(to.y() - from.y()) < std::abs(to.x() - from.x());
    const QPointF across = horizontal ? QPointF(0.0, tick) : QPointF(tick, 0.0);
    painter.drawLine(from, to);
    painter.drawLine(from - across, from + across);
    painter.drawLine(to - across, to + across);
}

QString widthLabel(const PlanScene &scene)
{
    return calc::formatTrimmed(scene.figures.roomW, 2, scene.figures.decimalPoint) + QStringLiteral(" м");
}

} // namespace

double gridStep(double scale, double minPixels)
{
    if (!(scale > 0.0))
        return 0.0;
    for (int i = 3; i < 60; ++i) { // from 1 m
        if (seriesStep(i) * scale >= minPixels)
            return seriesStep(i);
    }
    return 0.0;
}

double scaleBarLength(double scale, double maxPixels)
{
    if (!(scale > 0.0))
        return 0.0;
    double length = seriesStep(0);
    for (int i = 1; i < 60 && seriesStep(i) * scale <= maxPixels; ++i)
        length = seriesStep(i);
    return length;
}

PlanFrame planFrame(const QRectF &target, const PlanScene &scene, const QPaintDevice &device)
{
    PlanFrame frame;
    frame.unit = unitOf(device);
    if (!scene.hasRoom())
        return frame;
    QFont font;
    font.setPointSizeF(LabelPoints);
    const QFontMetricsF metrics(font, &device);
    Margins m = marginsFor(metrics.height(), frame.unit);
    const double length = scene.figures.roomL;
    const double width = scene.figures.roomW;
    const auto place = [&] {
        const QRectF free = target.adjusted(m.left, m.top, -m.right, -m.bottom);
        frame.scale = std::max(0.0, std::min(free.width() / length, free.height() / width));
        const QSizeF size(length * frame.scale, width * frame.scale);
        frame.room = QRectF(
            QPointF(free.center().x() - size.width() / 2.0, free.center().y() - size.height() / 2.0), size);
    };
    place();
    const double label = metrics.horizontalAdvance(widthLabel(scene));
    if (frame.room.height() < label + 6.0 * frame.unit) {
        frame.widthAcross = true;
        m.left = std::max(m.left, label + 2.5 * 6.0 * frame.unit);
        place();
    }
    return frame;
}

void paintPlan(QPainter &painter, const QRectF &target, const PlanScene &scene)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFont labelFont = sizedFont(painter, LabelPoints);
    painter.setFont(labelFont);
    const QFontMetricsF metrics(labelFont, painter.device());

    if (!scene.hasRoom()) {
        painter.setPen(Ink);
        painter.drawText(target, Qt::AlignCenter | Qt::TextWordWrap, text::NoRoom);
        painter.restore();
        return;
    }

    const PlanFrame frame = planFrame(target, scene, *painter.device());
    const QRectF room = frame.room;
    const double unit = frame.unit;
    const double scale = frame.scale;
    const double gap = 6.0 * unit;
    const double length = scene.figures.roomL;
    const double width = scene.figures.roomW;
    const QChar point = scene.figures.decimalPoint;
    // Metres on the plane to the device: X to the right, Y upwards from the
    // wall Y = 0 at the bottom of the room.
    const QTransform toDevice(scale, 0.0, 0.0, -scale, room.left(), room.bottom());

    // The floor, tinted where no zone reaches.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(room, scene.floorImage);
    painter.restore();

    // The grid.
    const double step = gridStep(scale, MinGridPixels * unit);
    if (step > 0.0) {
        QVector<QLineF> lines;
        for (double x = step; x < length - 1e-9; x += step)
            lines << QLineF(room.left() + x * scale, room.top(), room.left() + x * scale, room.bottom());
        for (double y = step; y < width - 1e-9; y += step)
            lines << QLineF(room.left(), room.bottom() - y * scale, room.right(), room.bottom() - y * scale);
        QPen pen(GridLine, unit);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLines(lines);
    }

    // The zones, cut to the room; fainter where they crowd.
    const std::vector<Placement> &placements = scene.layout.placements;
    const double pitch = scene.layout.pitch * scale;
    if (scene.zone.shape != ZoneShape::None && !placements.empty()) {
        painter.save();
        painter.setClipRect(room);
        QColor line = ZoneLine;
        if (pitch < 8.0 * unit)
            line.setAlpha(70);
        QPen pen(line, unit);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (const Placement &placement : placements)
            drawZone(painter, scene.zone, placement, toDevice, scale);
        painter.restore();
    }

    // The walls.
    painter.setPen(QPen(Ink, 1.5 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(room);

    // The loudspeakers: a dot under the ceiling, a box on the wall.
    const double mark = std::clamp(pitch * 0.18, 1.0 * unit, 4.5 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Marker);
    for (const Placement &placement : placements) {
        const QPointF at = toDevice.map(placement.position);
        switch (placement.side) {
        case Side::Ceiling: painter.drawEllipse(at, mark, mark); break;
        case Side::NearWall: painter.drawRect(QRectF(at.x() - mark, at.y() - mark, 2.0 * mark, mark)); break;
        case Side::FarWall: painter.drawRect(QRectF(at.x() - mark, at.y(), 2.0 * mark, mark)); break;
        }
    }

    // Their numbers, where the loudspeakers stand far enough apart.
    const QFont numberFont = sizedFont(painter, NumberPoints);
    const QFontMetricsF numberMetrics(numberFont, painter.device());
    const double numberWidth
        = numberMetrics.horizontalAdvance(QString::number(placements.size())) + 2.0 * unit;
    const double numberHeight = numberMetrics.height();
    if (!placements.empty() && pitch >= numberWidth + 2.0 * mark
        && pitch >= numberHeight + 2.0 * mark + unit) {
        painter.setFont(numberFont);
        painter.setPen(Ink);
        // Each number above its dot or box, or below where that leaves the
        // room, kept inside the room; none where the room is too thin.
        const QRectF inside = room.adjusted(-0.5 * unit, -0.5 * unit, 0.5 * unit, 0.5 * unit);
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const QPointF at = toDevice.map(placements[i].position);
            const QString number = QString::number(i + 1);
            const double w = numberMetrics.horizontalAdvance(number) + 2.0 * unit;
            const double left
                = std::clamp(at.x() - w / 2.0, room.left(), std::max(room.left(), room.right() - w));
            const QRectF above(left, at.y() - mark - unit - numberHeight, w, numberHeight);
            const QRectF below(left, at.y() + mark + unit, w, numberHeight);
            const bool aboveFirst = placements[i].side != Side::FarWall;
            const QRectF &first = aboveFirst ? above : below;
            const QRectF &second = aboveFirst ? below : above;
            if (inside.contains(first))
                drawHaloText(painter, first, number);
            else if (inside.contains(second))
                drawHaloText(painter, second, number);
        }
        painter.setFont(labelFont);
    }

    // The dimensions: the length above the room, the width to its left.
    painter.setPen(QPen(Ink, unit));
    const double tick = 3.0 * unit;
    const double topLine = room.top() - 1.5 * gap;
    drawDimension(painter, QPointF(room.left(), topLine), QPointF(room.right(), topLine), tick);
    const QString lengthLabel = calc::formatTrimmed(length, 2, point) + QStringLiteral(" м");
    painter.drawText(QRectF(room.left() - 100.0 * unit, topLine - gap / 2.0 - metrics.height(),
                            room.width() + 200.0 * unit, metrics.height()),
                     Qt::AlignHCenter | Qt::AlignBottom, lengthLabel);
    const double leftLine = room.left() - 1.5 * gap;
    drawDimension(painter, QPointF(leftLine, room.top()), QPointF(leftLine, room.bottom()), tick);
    if (frame.widthAcross) {
        painter.drawText(QRectF(target.left(), room.center().y() - metrics.height() / 2.0,
                                leftLine - gap / 2.0 - target.left(), metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, widthLabel(scene));
    } else {
        painter.save();
        painter.translate(leftLine - gap / 2.0, room.center().y());
        painter.rotate(-90.0);
        painter.drawText(QRectF(-room.height() / 2.0 - 100.0 * unit, -metrics.height(),
                                room.height() + 200.0 * unit, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignBottom, widthLabel(scene));
        painter.restore();
        // The origin of the coordinates at the corner X = 0, Y = 0.
        painter.drawText(QRectF(room.left() - 2.0 * gap - metrics.height(), room.bottom(),
                                2.0 * gap + metrics.height() - unit, metrics.height()),
                         Qt::AlignRight | Qt::AlignTop, QStringLiteral("0"));
    }
    const double lineY = room.bottom() + 2.0 * gap;

    // The scale bar below the room, in two halves, dark and light.
    const double barMetres = scaleBarLength(scale, MaxBarPixels * unit);
    const double barPixels = barMetres * scale;
    const double barHeight = 4.0 * unit;
    const QRectF bar(room.left(), lineY + metrics.height() / 2.0 - barHeight / 2.0, barPixels, barHeight);
    painter.setPen(QPen(Ink, unit));
    painter.setBrush(Qt::white);
    painter.drawRect(bar);
    painter.fillRect(QRectF(bar.left(), bar.top(), bar.width() / 2.0, bar.height()), Ink);
    const QString barLabel = calc::formatTrimmed(barMetres, 2, point) + QStringLiteral(" м");
    const double barLabelLeft = bar.right() + gap;
    painter.drawText(
        QRectF(barLabelLeft, lineY, metrics.horizontalAdvance(barLabel) + unit, metrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, barLabel);
    const double barEnd = barLabelLeft + metrics.horizontalAdvance(barLabel);

    // The legend, right-aligned with the room, where it fits beside the bar.
    const double swatch = metrics.height() * 0.7;
    struct Entry {
        QColor colour;
        QString caption;
    };
    std::vector<Entry> entries;
    if (scene.coverage.coveredCells > 0)
        entries.push_back({CoveredFloor, QStringLiteral("Озвучено")});
    if (scene.coverage.coveredCells < scene.coverage.grid.cells())
        entries.push_back({UncoveredFloor, text::Uncovered});
    double legendWidth = 0.0;
    for (const Entry &entry : entries)
        legendWidth += swatch + unit * 4.0 + metrics.horizontalAdvance(entry.caption) + 2.0 * gap;
    double x = std::max(room.right(), target.left() + legendWidth) - legendWidth + 2.0 * gap;
    if (x >= barEnd + 2.0 * gap) {
        for (const Entry &entry : entries) {
            painter.setPen(QPen(Ink, unit * 0.75));
            painter.setBrush(entry.colour);
            painter.drawRect(QRectF(x, lineY + (metrics.height() - swatch) / 2.0, swatch, swatch));
            x += swatch + 4.0 * unit;
            const double w = metrics.horizontalAdvance(entry.caption) + unit;
            painter.drawText(QRectF(x, lineY, w, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             entry.caption);
            x += w + 2.0 * gap - unit;
        }
    }
    painter.restore();
}

PlanDrawing::PlanDrawing(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(text::Drawing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlanDrawing::setScene(std::shared_ptr<const PlanScene> scene)
{
    m_scene = std::move(scene);
    QString description;
    if (m_scene) {
        const PlanFigures &f = m_scene->figures;
        description = QStringLiteral("%1 %2 × %3 м. %4")
                          .arg(text::Room, calc::formatTrimmed(f.roomL, 2, f.decimalPoint),
                               calc::formatTrimmed(f.roomW, 2, f.decimalPoint), m_scene->summary());
        if (const QString note = m_scene->limitNote(); !note.isEmpty())
            description += QStringLiteral(". ") + note;
    }
    setAccessibleDescription(description);
    update();
}

QSize PlanDrawing::sizeHint() const
{
    return QSize(640, 440);
}

QSize PlanDrawing::minimumSizeHint() const
{
    return QSize(260, 180);
}

void PlanDrawing::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    if (m_scene)
        paintPlan(painter, QRectF(rect()), *m_scene);
}

} // namespace plan
