#include "zoneoutline.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

namespace plan {

namespace {

constexpr double FullTurn = 6.28318530717958647692;

// Chords for an arc of radius r through angle: as many as keep each within
// ArcTolerance of the arc, at least 4 and at most 720 a full turn.
int chordsFor(double radius, double angle)
{
    const double perTurn
        = radius > ArcTolerance ? std::ceil(FullTurn / (2.0 * std::acos(1.0 - ArcTolerance / radius))) : 4.0;
    const double chords = std::ceil(std::clamp(perTurn, 4.0, 720.0) * std::abs(angle) / FullTurn);
    return int(std::max(1.0, chords));
}

} // namespace

QPolygonF wholeZone(const ZoneForm &form, const Placement &placement)
{
    const QPointF at = placement.position;
    const double facing = placement.side == Side::FarWall ? -1.0 : 1.0;
    // A point t in front of the wall and s along it.
    const QPointF normal = placement.normal;
    const QPointF along(normal.y(), -normal.x());
    const bool turned = placement.isTurned();
    const auto point = [&](double t, double s) {
        return turned ? at + t * normal + s * along : QPointF(at.x() + s, at.y() + facing * t);
    };
    QPolygonF outline;
    switch (form.shape) {
    case ZoneShape::None: break;
    case ZoneShape::Disc: {
        const int chords = chordsFor(form.radius, FullTurn);
        for (int i = 0; i < chords; ++i) {
            const double angle = FullTurn * i / chords;
            outline << at + form.radius * QPointF(std::cos(angle), std::sin(angle));
        }
        break;
    }
    case ZoneShape::Sector: {
        // The apex at the loudspeaker, the arc from one edge to the other.
        const int chords = chordsFor(form.radius, 2.0 * form.halfAngle);
        outline << at;
        for (int i = 0; i <= chords; ++i) {
            const double angle = -form.halfAngle + 2.0 * form.halfAngle * i / chords;
            outline << point(form.radius * std::cos(angle), form.radius * std::sin(angle));
        }
        break;
    }
    case ZoneShape::Ellipse: {
        const double centre = (form.nearDistance + form.farDistance) / 2.0;
        const double semiAcross = (form.farDistance - form.nearDistance) / 2.0;
        const int chords = chordsFor(std::max(form.halfAlong, semiAcross), FullTurn);
        for (int i = 0; i < chords; ++i) {
            const double angle = FullTurn * i / chords;
            outline << point(centre + semiAcross * std::sin(angle), form.halfAlong * std::cos(angle));
        }
        break;
    }
    case ZoneShape::Trapezium: {
        outline << point(form.nearDistance, -form.nearHalfWidth)
                << point(form.nearDistance, form.nearHalfWidth) << point(form.farDistance, form.farHalfWidth)
                << point(form.farDistance, -form.farHalfWidth);
        break;
    }
    }
    if (!outline.isEmpty())
        outline << outline.first();
    return outline;
}

QPolygonF zoneOutline(const ZoneForm &form, const Placement &placement, double length, double width)
{
    if (zoneBounds(form, placement).isEmpty() || !(length > 0.0 && width > 0.0))
        return QPolygonF();
    const QPolygonF whole = wholeZone(form, placement);
    if (zoneInsideRoom(form, placement, length, width))
        return whole;
    const QPolygonF room(QRectF(0.0, 0.0, length, width));
    QPolygonF cut = whole.intersected(room);
    if (cut.size() < 4)
        return QPolygonF();
    if (!cut.isClosed())
        cut << cut.first();
    return cut;
}

bool zoneInsideRoom(const ZoneForm &form, const Placement &placement, double length, double width)
{
    if (zoneBounds(form, placement).isEmpty())
        return false;
    // A disc's own box; for the other shapes the box of the whole outline,
    // which zoneBounds cuts at the wall the loudspeaker hangs on.
    const QRectF bounds = form.shape == ZoneShape::Disc ? zoneBounds(form, placement)
                                                        : wholeZone(form, placement).boundingRect();
    return bounds.left() >= 0.0 && bounds.top() >= 0.0 && bounds.right() <= length
        && bounds.bottom() <= width;
}

QPolygonF zoneOutline(const ZoneForm &form, const Placement &placement, const calc::Shape &shape)
{
    if (shape.isPlainRectangle() || shape.isEmpty())
        return zoneOutline(form, placement, shape.length(), shape.width());
    if (zoneBounds(form, placement).isEmpty())
        return QPolygonF();
    const QPolygonF whole = wholeZone(form, placement);
    if (zoneInsideRoom(form, placement, shape))
        return whole;
    const QPolygonF room(QList<QPointF>(shape.outline().begin(), shape.outline().end()));
    QPolygonF cut = whole.intersected(room);
    if (cut.size() < 4)
        return QPolygonF();
    if (!cut.isClosed())
        cut << cut.first();
    return cut;
}

bool zoneInsideRoom(const ZoneForm &form, const Placement &placement, const calc::Shape &shape)
{
    if (shape.isPlainRectangle() || shape.isEmpty())
        return zoneInsideRoom(form, placement, shape.length(), shape.width());
    if (zoneBounds(form, placement).isEmpty())
        return false;
    if (form.shape == ZoneShape::Disc)
        return shape.contains(placement.position)
            && shape.distanceToOutline(placement.position) >= form.radius;
    // Every corner of the zone inside, and no corner of the room inside
    // the zone.
    const QPolygonF whole = wholeZone(form, placement);
    for (const QPointF &corner : whole) {
        if (!shape.contains(corner))
            return false;
    }
    for (const QPointF &corner : shape.outline()) {
        if (whole.containsPoint(corner, Qt::OddEvenFill))
            return false;
    }
    return true;
}

} // namespace plan
