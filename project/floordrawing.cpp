#include "floordrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <variant>

namespace project {

namespace {

// Bounds that hold a flat line too: QRectF's own tests take a rectangle
// without area for nothing.
struct Bounds {
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    bool empty = true;

    void add(QPointF p)
    {
        if (empty) {
            left = right = p.x();
            top = bottom = p.y();
            empty = false;
            return;
        }
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    void add(const QRectF &r)
    {
        add(r.topLeft());
        add(r.bottomRight());
    }
    QRectF rect() const { return empty ? QRectF() : QRectF(QPointF(left, top), QPointF(right, bottom)); }
};

bool overlaps(const QRectF &a, const QRectF &b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

void addBounds(Bounds &b, const drawing::Primitive &primitive)
{
    if (const auto *line = std::get_if<drawing::Polyline>(&primitive)) {
        for (const QPointF &p : line->points)
            b.add(p);
    } else if (const auto *circle = std::get_if<drawing::Circle>(&primitive)) {
        const QPointF r(circle->radius, circle->radius);
        b.add(circle->centre - r);
        b.add(circle->centre + r);
    } else if (const auto *text = std::get_if<drawing::Text>(&primitive)) {
        b.add(text->anchor);
    }
}

QColor tintOf(FloorVerdict verdict)
{
    switch (verdict) {
    case FloorVerdict::Met: return QColor(40, 170, 60, 80);
    case FloorVerdict::Short: return QColor(220, 40, 40, 90);
    case FloorVerdict::NoData: break;
    }
    return QColor(140, 140, 140, 70);
}

QColor strokeOf(FloorVerdict verdict)
{
    switch (verdict) {
    case FloorVerdict::Met: return QColor(20, 110, 35);
    case FloorVerdict::Short: return QColor(170, 20, 20);
    case FloorVerdict::NoData: break;
    }
    return QColor(90, 90, 90);
}

const QColor BackgroundColour(200, 200, 200);
const QColor ZoneColour(175, 195, 240);
const QColor LoudspeakerColour(20, 20, 120);
const QColor SelectedColour(0, 90, 230);
const QColor TextColour(20, 20, 20);

// Texts lower than this many pixels are not drawn: they could not be read
// and would only cost time.
constexpr double LeastTextPixels = 5.0;
// Zones of a smaller radius are not drawn: at that size they only cover
// the floor with a mesh of rings, and there may be tens of thousands.
constexpr double LeastZonePixels = 6.0;
// A loudspeaker's circle smaller than this is drawn as a point.
constexpr double LeastCirclePixels = 1.5;
// and a circle drawn is never smaller than this.
constexpr double SmallestCirclePixels = 3.0;

// The corners of a circle of radius 1 as a polygon close enough to round
// at a radius of pixels: its sides bulge out at most a quarter of a pixel.
const std::vector<QPointF> &unitCircle(double pixels)
{
    static const std::vector<std::vector<QPointF>> tables = [] {
        std::vector<std::vector<QPointF>> all;
        for (int sides = 8; sides <= 512; sides *= 2) {
            std::vector<QPointF> corners;
            for (int k = 0; k < sides; ++k) {
                const double angle = 2.0 * M_PI * k / sides;
                corners.emplace_back(std::cos(angle), std::sin(angle));
            }
            all.push_back(std::move(corners));
        }
        return all;
    }();
    // r (1 - cos(pi / n)) <= 1/4 where n >= pi sqrt(2 r).
    const double sides = M_PI * std::sqrt(2.0 * pixels);
    for (const std::vector<QPointF> &table : tables)
        if (double(table.size()) >= sides)
            return table;
    return tables.back();
}

QFont fontOfPixels(double pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    return font;
}

} // namespace

namespace floorplan {

namespace {

// The runs across the polygon at height y, from left to right, each as
// its left and right ends.
std::vector<std::pair<double, double>> runsAt(const std::vector<QPointF> &corners, double y)
{
    std::vector<double> crossings;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const QPointF a = corners[i];
        const QPointF b = corners[(i + 1) % corners.size()];
        if ((a.y() <= y) != (b.y() <= y))
            crossings.push_back(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
    }
    std::sort(crossings.begin(), crossings.end());
    std::vector<std::pair<double, double>> runs;
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
        runs.emplace_back(crossings[i], crossings[i + 1]);
    return runs;
}

} // namespace

QPointF labelPoint(const calc::Shape &shape)
{
    const std::vector<QPointF> &corners = shape.outline();
    if (corners.size() < 3)
        return QPointF();
    // The centroid of the polygon's area.
    double twiceArea = 0.0;
    double cx = 0.0;
    double cy = 0.0;
    const QPointF origin = corners.front(); // taken off for precision far from zero
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const QPointF a = corners[i] - origin;
        const QPointF b = corners[(i + 1) % corners.size()] - origin;
        const double cross = a.x() * b.y() - b.x() * a.y();
        twiceArea += cross;
        cx += (a.x() + b.x()) * cross;
        cy += (a.y() + b.y()) * cross;
    }
    if (twiceArea == 0.0)
        return shape.bounds().center();
    const QPointF centroid = origin + QPointF(cx / (3.0 * twiceArea), cy / (3.0 * twiceArea));
    if (shape.contains(centroid) && shape.distanceToOutline(centroid) > 1e-9)
        return centroid;

    // The middle of the widest run across the room at the centroid's
    // height, else at the middle of its bounds or a quarter from its ends.
    const QRectF bounds = shape.bounds();
    for (const double y : {centroid.y(), bounds.center().y(), bounds.top() + 0.25 * bounds.height(),
                           bounds.top() + 0.75 * bounds.height()}) {
        double widest = 0.0;
        QPointF middle;
        for (const auto &[left, right] : runsAt(corners, y))
            if (right - left > widest) {
                widest = right - left;
                middle = QPointF((left + right) / 2.0, y);
            }
        if (widest > 0.0)
            return middle;
    }
    return bounds.center();
}

RoomLabel roomLabel(const calc::Shape &shape)
{
    RoomLabel label;
    label.point = labelPoint(shape);
    // A quarter of the room's thickness (twice its area over its
    // perimeter: the width of a long room, a third of a square's side).
    const double perimeter = shape.perimeter();
    const double thickness = perimeter > 0.0 ? 2.0 * shape.area() / perimeter : 0.0;
    label.height = std::clamp(thickness / 4.0, LeastLabelHeight, MostLabelHeight);
    for (const auto &[left, right] : runsAt(shape.outline(), label.point.y()))
        if (left <= label.point.x() && label.point.x() <= right)
            label.width = 2.0 * std::min(label.point.x() - left, right - label.point.x());
    return label;
}

} // namespace floorplan

FloorScene::FloorScene(FloorDrawing drawing) : m_drawing(std::move(drawing))
{
    Bounds extent;
    m_rooms.reserve(m_drawing.rooms.size());
    for (const FloorRoom &room : m_drawing.rooms) {
        PreparedRoom prepared;
        Bounds b;
        for (const QPointF &corner : room.outline.outline()) {
            b.add(corner);
            prepared.outline.append(corner);
        }
        for (const FloorLoudspeaker &loudspeaker : room.loudspeakers)
            b.add(QRectF(loudspeaker.position, QSizeF())
                      .adjusted(-floorplan::LoudspeakerRadius, -floorplan::LoudspeakerRadius,
                                floorplan::LoudspeakerRadius, floorplan::LoudspeakerRadius));
        for (const drawing::Primitive &zone : room.zones)
            addBounds(b, zone);
        prepared.bounds = b.rect();
        if (!room.outline.isEmpty())
            prepared.label = floorplan::roomLabel(room.outline);
        if (!b.empty)
            extent.add(prepared.bounds);
        m_rooms.push_back(std::move(prepared));
    }
    m_background.reserve(m_drawing.background.size());
    for (const drawing::Polyline &line : m_drawing.background) {
        if (line.points.isEmpty())
            continue;
        Bounds b;
        for (const QPointF &p : line.points)
            b.add(p);
        m_background.push_back({b.rect(), &line});
        extent.add(b.rect());
    }
    m_extent = extent.rect();
}

int FloorScene::roomAt(QPointF floorPoint) const
{
    for (std::size_t i = m_rooms.size(); i-- > 0;) {
        const FloorRoom &room = m_drawing.rooms[i];
        if (!room.outline.isEmpty() && overlaps(m_rooms[i].bounds, QRectF(floorPoint, QSizeF()))
            && room.outline.contains(floorPoint))
            return int(i);
    }
    return -1;
}

int FloorScene::indexOf(FloorRoomId id) const
{
    for (std::size_t i = 0; i < m_drawing.rooms.size(); ++i)
        if (m_drawing.rooms[i].id == id)
            return int(i);
    return -1;
}

void FloorScene::paintBackground(QPainter &painter, const QTransform &toDevice, const QRectF &visible) const
{
    if (m_background.empty())
        return;
    const double scale = std::hypot(toDevice.m11(), toDevice.m12());
    // A line within a pixel is a point; one within half a pixel is not seen
    // among the others.
    const double halfPixel = 0.5 / scale;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The corners mapped here rather than by the painter (whose transformed
    // polylines cost about a fifth more), each line drawn by itself (a
    // batch of lines is stroked as one path, slower still).
    QPen pen(BackgroundColour, 0); // cosmetic: one pixel at any scale
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPolygonF mapped;
    for (const PreparedLine &prepared : m_background) {
        if (!overlaps(prepared.bounds, visible))
            continue;
        if (prepared.bounds.width() < halfPixel && prepared.bounds.height() < halfPixel)
            continue;
        const drawing::Polyline &line = *prepared.line;
        if (line.points.size() == 2) {
            painter.drawLine(toDevice.map(line.points[0]), toDevice.map(line.points[1]));
            continue;
        }
        mapped.resize(line.points.size());
        for (qsizetype k = 0; k < line.points.size(); ++k)
            mapped[k] = toDevice.map(line.points[k]);
        if (line.closed && line.points.size() > 2)
            painter.drawPolygon(mapped);
        else
            painter.drawPolyline(mapped);
    }
    painter.restore();
}

void FloorScene::paintRooms(QPainter &painter, const QTransform &toDevice, const QRectF &visible,
                            const FloorPaintOptions &options) const
{
    const double scale = std::hypot(toDevice.m11(), toDevice.m12());
    std::vector<std::size_t> shown;
    shown.reserve(m_rooms.size());
    for (std::size_t i = 0; i < m_rooms.size(); ++i)
        if (!m_rooms[i].bounds.isNull() && overlaps(m_rooms[i].bounds, visible))
            shown.push_back(i);
    const int selected = options.hasSelection ? indexOf(options.selected) : -1;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QTransform base = painter.transform();
    painter.setTransform(toDevice, true);

    // The zones in a light colour, under the tints. A circle is drawn as a polygon of as many sides
    // as keep it within a quarter of a pixel of round: a cosmetic pen's
    // polygon goes through the rasterizer's fastest way, an ellipse does
    // not.
    painter.setPen(QPen(ZoneColour, 0));
    painter.setBrush(Qt::NoBrush);
    QPolygonF round;
    for (const std::size_t i : shown) {
        for (const drawing::Primitive &zone : m_drawing.rooms[i].zones) {
            if (const auto *circle = std::get_if<drawing::Circle>(&zone)) {
                const double pixels = circle->radius * scale;
                if (pixels < LeastZonePixels)
                    continue;
                const std::vector<QPointF> &unit = unitCircle(pixels);
                const QPointF centre = circle->centre;
                round.resize(qsizetype(unit.size()));
                for (std::size_t k = 0; k < unit.size(); ++k)
                    round[qsizetype(k)] = centre + circle->radius * unit[k];
                painter.drawPolygon(round);
            } else if (const auto *line = std::get_if<drawing::Polyline>(&zone)) {
                if (line->closed)
                    painter.drawPolygon(line->points);
                else
                    painter.drawPolyline(line->points);
            }
        }
    }

    // Tints: the outlines filled, without their strokes.
    painter.setPen(Qt::NoPen);
    for (const std::size_t i : shown) {
        const QColor tint = tintOf(m_drawing.rooms[i].verdict);
        painter.setBrush(tint);
        painter.drawPolygon(m_rooms[i].outline);
    }

    // The outlines.
    painter.setBrush(Qt::NoBrush);
    for (const std::size_t i : shown) {
        painter.setPen(QPen(strokeOf(m_drawing.rooms[i].verdict), 0));
        painter.drawPolygon(m_rooms[i].outline);
    }

    // The loudspeakers: circles of their size, or points where that would
    // be under a pixel and a half.
    const double radius = floorplan::LoudspeakerRadius * scale;
    painter.setTransform(base);
    if (radius < LeastCirclePixels) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(LoudspeakerColour);
        std::vector<QRectF> dots;
        for (const std::size_t i : shown)
            for (const FloorLoudspeaker &loudspeaker : m_drawing.rooms[i].loudspeakers)
                dots.emplace_back(toDevice.map(loudspeaker.position) - QPointF(1.0, 1.0), QSizeF(2.0, 2.0));
        painter.drawRects(dots.data(), int(dots.size()));
    } else {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(LoudspeakerColour, 1.0));
        painter.setBrush(Qt::white);
        const double r = std::max(radius, SmallestCirclePixels);
        for (const std::size_t i : shown)
            for (const FloorLoudspeaker &loudspeaker : m_drawing.rooms[i].loudspeakers)
                painter.drawEllipse(toDevice.map(loudspeaker.position), r, r);
    }

    // The selected room's outline, over its neighbours'.
    if (selected >= 0)
        paintSelection(painter, toDevice, visible, options.selected);

    // Texts where they can be read: the loudspeakers' numbers, then the
    // rooms' names and counts over them.
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(TextColour);
    const double numberPixels = floorplan::NumberHeight * scale;
    if (numberPixels >= LeastTextPixels) {
        painter.setFont(fontOfPixels(numberPixels));
        const double r = std::max(radius, SmallestCirclePixels);
        for (const std::size_t i : shown)
            for (const FloorLoudspeaker &loudspeaker : m_drawing.rooms[i].loudspeakers) {
                const QPointF at = toDevice.map(loudspeaker.position);
                painter.drawText(at + QPointF(r * 0.8, -r * 0.8), QString::number(loudspeaker.number));
            }
    }
    double fontPixels = -1.0;
    std::optional<QFontMetricsF> metrics;
    for (const std::size_t i : shown) {
        const FloorRoom &room = m_drawing.rooms[i];
        const floorplan::RoomLabel &label = m_rooms[i].label;
        const double pixels = label.height * scale;
        if (pixels < LeastTextPixels || room.outline.isEmpty())
            continue;
        if (pixels != fontPixels) {
            fontPixels = pixels;
            const QFont font = fontOfPixels(pixels);
            painter.setFont(font);
            metrics.emplace(font);
        }
        const QPointF at = toDevice.map(label.point);
        // The name within the room's width at its label, shortened where
        // it is wider.
        const QString name = metrics->elidedText(room.name, Qt::ElideRight, 0.95 * label.width * scale);
        const double gap = 0.15 * pixels;
        if (!name.isEmpty() && name != QStringLiteral("…"))
            painter.drawText(at + QPointF(-metrics->horizontalAdvance(name) / 2.0, -gap - metrics->descent()),
                             name);
        if (!room.countText.isEmpty())
            painter.drawText(
                at + QPointF(-metrics->horizontalAdvance(room.countText) / 2.0, gap + metrics->ascent()),
                room.countText);
    }
    painter.restore();
}

void FloorScene::paintSelection(QPainter &painter, const QTransform &toDevice, const QRectF &visible,
                                FloorRoomId id) const
{
    const int index = indexOf(id);
    if (index < 0 || !overlaps(m_rooms[std::size_t(index)].bounds, visible))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(SelectedColour, 3.0);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(toDevice.map(m_rooms[std::size_t(index)].outline));
    painter.restore();
}

} // namespace project
