#pragma once

#include "floorcoverage.h"
#include "layout.h"
#include "planfigures.h"
#include "zones.h"

#include <QColor>
#include <QImage>
#include <QString>

// Everything one plan shows: the calculation's figures, the chosen
// arrangement laid out, the zones and the floor they cover.
namespace plan {

// The colours of the floor on every drawing.
inline const QColor CoveredFloor(214, 234, 248);
inline const QColor UncoveredFloor(244, 178, 160);

struct PlanScene {
    PlanFigures figures;
    Arrangement arrangement = Arrangement::Rows;
    Layout layout;
    ZoneForm zone;
    FloorCoverage coverage;
    // One pixel per coverage cell, the far wall (Y = width) on the top row
    // as the drawings show it: covered and uncovered floor in their colours.
    QImage floorImage;

    // Whether the room has an area to draw.
    bool hasRoom() const { return coverage.grid.cells() > 0; }
    qsizetype loudspeakers() const { return qsizetype(layout.placements.size()); }
    // The summary line under the table and on the page.
    QString summary() const;
    // What keeps the plan from showing the arrangement whole: more
    // loudspeakers than a plan holds, or no room to place them in; empty
    // when nothing does.
    QString limitNote() const;
};

// Lays out the arrangement for the figures' room (count loudspeakers where
// the arrangement takes a count, see layOut) and computes its coverage.
PlanScene buildScene(const PlanFigures &figures, Arrangement arrangement, double count);

// The coverage as an image, one pixel per cell, the top row the far wall.
QImage floorImage(const FloorCoverage &coverage);

} // namespace plan
