#pragma once

#include "layout.h"
#include "zones.h"

#include "calc/shape.h"

#include <QPolygonF>

// The outline of a loudspeaker's zone on the plan, cut to the room as the
// drawings show it, for files that need the zone as a line.
namespace plan {

// The largest gap between an arc and the chords that stand for it.
inline constexpr double ArcTolerance = 0.001; // m

// The zone's outline inside the room 0 <= X <= length, 0 <= Y <= width:
// a closed polygon (its first point repeated last), the arcs of discs,
// sectors and ellipses in chords at most ArcTolerance from them. Empty
// where the zone has no area inside the room.
QPolygonF zoneOutline(const ZoneForm &form, const Placement &placement, double length, double width);

// Whether the whole zone lies inside the room, walls included, so that it
// needs no cutting.
bool zoneInsideRoom(const ZoneForm &form, const Placement &placement, double length, double width);

// The same for a room of any shape, the zone and the outline on its floor:
// the plain rectangle as above, otherwise cut to the outline.
QPolygonF zoneOutline(const ZoneForm &form, const Placement &placement, const calc::Shape &shape);
bool zoneInsideRoom(const ZoneForm &form, const Placement &placement, const calc::Shape &shape);

// The zone whole, uncut, as a closed polygon in plan metres.
QPolygonF wholeZone(const ZoneForm &form, const Placement &placement);

} // namespace plan
