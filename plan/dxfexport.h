#pragma once

#include "layout.h"
#include "planexport.h"
#include "zones.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <vector>

// The plan as a DXF drawing for CAD programs: ASCII DXF R2000 (AC1015) in
// millimetres, X along the room's length and Y across it from the room's
// corner, on four layers: the room, the loudspeakers, their zones and the
// room's dimensions.
namespace plan {

namespace dxf {
inline const QString RoomLayer = QStringLiteral("ПОМЕЩЕНИЕ");
inline const QString LoudspeakerLayer = QStringLiteral("ГРОМКОГОВОРИТЕЛИ");
inline const QString ZoneLayer = QStringLiteral("ЗОНЫ");
inline const QString DimensionLayer = QStringLiteral("РАЗМЕРЫ");
inline const QString TitleLayer = QStringLiteral("НАДПИСИ"); // only in a drawing with a title

inline constexpr double MarkRadius = 100.0;   // mm, the circle of a loudspeaker
inline constexpr double NumberHeight = 250.0; // mm, the loudspeaker's number
} // namespace dxf

struct DxfPlan {
    double length = 0.0; // m, along X
    double width = 0.0;  // m, along Y
    // A room of any shape: its outline on its floor's coordinates, which
    // the whole drawing then takes; empty or the plain rectangle: the
    // rectangle length x width from the origin.
    calc::Shape shape;
    std::vector<Placement> placements;
    ZoneForm zone;
    QChar decimalPoint = u'.'; // in the dimension texts
    // Whose plan it is (the object, the room, its floor, the date), for a
    // room written from a project; empty for none.
    QString title;
};

// The whole file: the room as one closed polyline (an outline's corners
// where it has one), each loudspeaker as a
// circle of MarkRadius at its position with its number (1, 2, … in the
// placements' order) beside it, each zone cut to the room (a circle for a
// disc that lies wholly inside, else a closed polyline), and the length and
// width as texts beside the walls (an outline's extent along X and Y beside
// its bounds); a title, where there is one, as a text
// on its own layer above the far wall. Texts and layer names are in the
// Windows Cyrillic code page (ANSI_1251), characters outside it written as
// \U+XXXX.
QByteArray dxfBytes(const DxfPlan &plan);

// Writes the drawing whole or not at all (writeWhole).
WriteResult writeDxf(const QString &path, const DxfPlan &plan);

} // namespace plan
