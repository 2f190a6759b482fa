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

// The zone whole, uncut, in plan metres.
QPolygonF wholeZone(const ZoneForm &form, const Placement &placement)
{
    const QPointF at = placement.position;
    const double facing = placement.side == Side::FarWall ? -1.0 : 1.0;
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
            outline << QPointF(at.x() + form.radius * std::sin(angle),
                               at.y() + facing * form.radius * std::cos(angle));
        }
        break;
    }
    case ZoneShape::Ellipse: {
        const double centre = (form.nearDistance + form.farDistance) / 2.0;
        const double semiAcross = (form.farDistance - form.nearDistance) / 2.0;
        const int chords = chordsFor(std::max(form.halfAlong, semiAcross), FullTurn);
        for (int i = 0; i < chords; ++i) {
            const double angle = FullTurn * i / chords;
            outline << QPointF(at.x() + form.halfAlong * std::cos(angle),
                               at.y() + facing * (centre + semiAcross * std::sin(angle)));
        }
        break;
    }
    case ZoneShape::Trapezium: {
        const double nearY = at.y() + facing * form.nearDistance;
        const double farY = at.y() + facing * form.farDistance;
        outline << QPointF(at.x() - form.nearHalfWidth, nearY) << QPointF(at.x() + form.nearHalfWidth, nearY)
                << QPointF(at.x() + form.farHalfWidth, farY) << QPointF(at.x() - form.farHalfWidth, farY);
        break;
    }
    }
    if (!outline.isEmpty())
        outline << outline.first();
    return outline;
}

} // namespace

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

} // namespace plan
