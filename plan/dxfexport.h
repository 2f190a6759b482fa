#pragma once

#include "planexport.h"
#include "plangeometry.h"

#include <QByteArray>
#include <QString>

// The plan as a DXF drawing for CAD programs: ASCII DXF R2000 (AC1015) in
// millimetres (the geometry's metres x 1000), X along the room's length and
// Y across it from the room's corner, on four layers: the room, the
// loudspeakers, their zones and the room's dimensions, and a fifth for the
// title where there is one.
namespace plan {

namespace dxf {
inline constexpr double MarkRadius = 1000.0 * geometry::MarkRadius;     // mm, the circle of a loudspeaker
inline constexpr double NumberHeight = 1000.0 * geometry::NumberHeight; // mm, the loudspeaker's number
} // namespace dxf

using DxfPlan = PlanContent;

// The whole file: the plan's geometry (planGeometry), entity by entity in
// its order, and nothing else: polylines as LWPOLYLINE, circles as CIRCLE,
// texts as TEXT. Texts and layer names are in the Windows Cyrillic code
// page (ANSI_1251), characters outside it written as \U+XXXX.
QByteArray dxfBytes(const PlanGeometry &geometry);
QByteArray dxfBytes(const DxfPlan &plan);

// Writes the drawing whole or not at all (writeWhole).
WriteResult writeDxf(const QString &path, const DxfPlan &plan);

} // namespace plan
