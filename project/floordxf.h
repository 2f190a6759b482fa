#pragma once

#include "floordrawing.h"

#include <QByteArray>
#include <QString>

// A floor as a DXF drawing for CAD programs: ASCII DXF R2000 (AC1015), its
// strings in the Windows Cyrillic code page (ANSI_1251), as the room plans
// are written. The floor's metres times unitsPerMetre make the drawing's
// units (1000 millimetres, 100 centimetres, 1 metre, 1/0.0254 inches,
// 1/0.3048 feet), which the header names where they are one of those.
//
// Four layers: "ПОМЕЩЕНИЯ" the rooms' outlines as closed polylines, "ЗОНЫ"
// each loudspeaker's zone cut to its room, "ПОДПИСИ" each room's name and
// count at its label point as texts, and "ГРОМКОГОВОРИТЕЛИ" the block
// "ГРОМКОГОВОРИТЕЛЬ" (a circle 100 mm across with a cross through it)
// inserted at each loudspeaker with its attributes "НОМЕР" (shown),
// "МАРКА", "ЛИНИЯ" and "ПОМЕЩЕНИЕ" (kept, not shown). The architect's
// plan underneath is not written: it is the architect's own drawing.
namespace project {

namespace floordxf {
inline const QString RoomLayer = QStringLiteral("ПОМЕЩЕНИЯ");
inline const QString ZoneLayer = QStringLiteral("ЗОНЫ");
inline const QString LabelLayer = QStringLiteral("ПОДПИСИ");
inline const QString LoudspeakerLayer = QStringLiteral("ГРОМКОГОВОРИТЕЛИ");
inline const QString LoudspeakerBlock = QStringLiteral("ГРОМКОГОВОРИТЕЛЬ");
inline const QString NumberTag = QStringLiteral("НОМЕР");
inline const QString ModelTag = QStringLiteral("МАРКА");
inline const QString LineTag = QStringLiteral("ЛИНИЯ");
inline const QString RoomTag = QStringLiteral("ПОМЕЩЕНИЕ");
inline constexpr double SymbolDiameter = 0.1; // m: the block's circle, 100 mm across
} // namespace floordxf

// The drawing's bytes, for files::writeWhole.
QByteArray floorDxf(const FloorDrawing &floor, double unitsPerMetre);

} // namespace project
