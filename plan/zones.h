#pragma once

#include "layout.h"
#include "planfigures.h"

#include <QPointF>
#include <QRectF>

// The floor zone one loudspeaker covers on the listening plane, as the
// calculation assumed it: a disc under a ceiling loudspeaker, a sector in
// front of a wall loudspeaker, an ellipse or a trapezium in front of a horn.
namespace plan {

enum class ZoneShape { None, Disc, Sector, Ellipse, Trapezium };

// The size of the zone, the same for every loudspeaker of a calculation.
// Distances in front of a wall are measured along the wall's normal into
// the room; along the wall the zone is symmetric about the loudspeaker.
struct ZoneForm {
    ZoneShape shape = ZoneShape::None;
    double radius = 0.0;        // disc and sector
    double halfAngle = 0.0;     // sector: half its opening, radians
    double nearDistance = 0.0;  // ellipse and trapezium: the near edge (negative behind the wall)
    double farDistance = 0.0;   // ellipse and trapezium: the far edge
    double halfAlong = 0.0;     // ellipse: the semi-axis along the wall
    double nearHalfWidth = 0.0; // trapezium: half-width at the near edge
    double farHalfWidth = 0.0;  // trapezium: half-width at the far edge
};

// The horizontal distances of a horn zone's edges from the wall.
struct HornReach {
    double nearH = 0.0; // sqrt(nearSlant^2 - dropH^2)
    double farH = 0.0;  // sqrt(farSlant^2 - dropH^2)
    double y0 = 0.0;    // the near edge: nearH, or -nearH behind the wall when edgeDeg > 90
    double y1 = 0.0;    // the far edge: farH
};

HornReach hornReach(const PlanFigures &figures);

// The zone of the calculation's mounting type.
ZoneForm zoneForm(const PlanFigures &figures);

// The stretch of the zone of a loudspeaker placed so along the line Y = y:
// left <= X <= right. False where the line misses the zone. Every zone is
// convex in X along such a line within the room. Points behind the wall a
// loudspeaker hangs on lie outside the room and belong to no zone.
bool zoneSpan(const ZoneForm &form, const Placement &placement, double y, double &left, double &right);

// Whether the point lies in the zone (boundary included).
bool zoneContains(const ZoneForm &form, const Placement &placement, QPointF point);

// The rectangle around the zone, behind-the-wall parts left out; empty for
// a zone without area.
QRectF zoneBounds(const ZoneForm &form, const Placement &placement);

} // namespace plan
