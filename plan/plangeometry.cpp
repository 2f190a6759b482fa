#include "plangeometry.h"

#include "calc/numberformat.h"
#include "planscene.h"
#include "zoneoutline.h"

#include <algorithm>
#include <numbers>

namespace plan {

using namespace geometry;

namespace {

// The dimension texts' height: the room's longer side over 40, at least as
// high as a loudspeaker's number and at most 2 m.
double dimensionHeight(const QRectF &extent)
{
    return std::clamp(std::max(extent.width(), extent.height()) / 40.0, NumberHeight, 2.0);
}

template <typename T>
std::vector<T> onLayer(const std::vector<Primitive> &primitives, const QString &layer)
{
    std::vector<T> found;
    for (const Primitive &primitive : primitives)
        if (const T *p = std::get_if<T>(&primitive); p && p->layer == layer)
            found.push_back(*p);
    return found;
}

} // namespace

PlanContent planContent(const PlanScene &scene, const QString &title)
{
    PlanContent content;
    content.title = title;
    content.length = scene.figures.roomL;
    content.width = scene.figures.roomW;
    if (const calc::Shape shape = scene.figures.roomShape(); !shape.isPlainRectangle())
        content.shape = shape;
    content.placements = scene.layout.placements;
    content.zone = scene.zone;
    content.decimalPoint = scene.figures.decimalPoint;
    return content;
}

std::vector<Polyline> PlanGeometry::polylines(const QString &layer) const
{
    return onLayer<Polyline>(primitives, layer);
}

std::vector<Circle> PlanGeometry::circles(const QString &layer) const
{
    return onLayer<Circle>(primitives, layer);
}

std::vector<Text> PlanGeometry::texts(const QString &layer) const
{
    return onLayer<Text>(primitives, layer);
}

bool outlined(const PlanContent &content)
{
    return !content.shape.isEmpty() && !content.shape.isPlainRectangle();
}

Polyline roomOutline(const PlanContent &content)
{
    if (outlined(content))
        return {dxf::RoomLayer,
                QPolygonF(QList<QPointF>(content.shape.outline().begin(), content.shape.outline().end())),
                true};
    return {dxf::RoomLayer,
            QPolygonF({QPointF(0.0, 0.0), QPointF(content.length, 0.0),
                       QPointF(content.length, content.width), QPointF(0.0, content.width)}),
            true};
}

std::vector<Primitive> zonePrimitives(const PlanContent &content)
{
    std::vector<Primitive> zones;
    if (content.zone.shape == ZoneShape::None)
        return zones;
    const bool shaped = outlined(content);
    const calc::Shape room = shaped ? content.shape : calc::Shape::rectangle(content.length, content.width);
    zones.reserve(content.placements.size());
    for (const Placement &placement : content.placements) {
        const bool inside = shaped ? zoneInsideRoom(content.zone, placement, room)
                                   : zoneInsideRoom(content.zone, placement, content.length, content.width);
        if (content.zone.shape == ZoneShape::Disc && inside) {
            zones.push_back(Circle{dxf::ZoneLayer, placement.position, content.zone.radius});
            continue;
        }
        QPolygonF outline = shaped ? zoneOutline(content.zone, placement, room)
                                   : zoneOutline(content.zone, placement, content.length, content.width);
        if (outline.isEmpty())
            continue;
        // zoneOutline repeats its first point last; a closed polyline lists
        // each corner once.
        if (outline.isClosed())
            outline.removeLast();
        zones.push_back(Polyline{dxf::ZoneLayer, outline, true});
    }
    return zones;
}

PlanGeometry planGeometry(const PlanContent &content)
{
    PlanGeometry geometry;
    const bool shaped = outlined(content);
    geometry.extent = shaped ? content.shape.bounds() : QRectF(0.0, 0.0, content.length, content.width);
    geometry.textHeight = dimensionHeight(geometry.extent);
    const QRectF &e = geometry.extent;
    const double height = geometry.textHeight;
    auto &out = geometry.primitives;

    out.push_back(roomOutline(content));
    for (Primitive &zone : zonePrimitives(content))
        out.push_back(std::move(zone));

    for (std::size_t i = 0; i < content.placements.size(); ++i) {
        const QPointF at = content.placements[i].position;
        out.push_back(Circle{dxf::LoudspeakerLayer, at, MarkRadius});
        out.push_back(Text{dxf::LoudspeakerLayer, QString::number(i + 1),
                           at + QPointF(1.5 * MarkRadius, 1.5 * MarkRadius), NumberHeight, 0.0, Along::Left,
                           Across::Baseline});
    }

    // The length centred under the side Y = bottom of the extent, the width
    // centred left of its side X = left and read from below.
    const QString unit = QStringLiteral(" м");
    out.push_back(Text{dxf::DimensionLayer, calc::formatTrimmed(e.width(), 2, content.decimalPoint) + unit,
                       QPointF(e.center().x(), e.top() - height), height, 0.0, Along::Centre, Across::Top});
    out.push_back(Text{dxf::DimensionLayer, calc::formatTrimmed(e.height(), 2, content.decimalPoint) + unit,
                       QPointF(e.left() - height, e.center().y()), height, std::numbers::pi / 2.0,
                       Along::Centre, Across::Baseline});

    // The title from the extent's corner along its far side, a text's height
    // above it.
    if (!content.title.isEmpty())
        out.push_back(Text{dxf::TitleLayer, content.title, QPointF(e.left(), e.bottom() + height), height,
                           0.0, Along::Left, Across::Baseline});
    return geometry;
}

} // namespace plan
