#pragma once

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"
#include "calc/shape.h"

#include <QChar>
#include <QString>

namespace plan {

// The figures of one completed calculation that the plan is drawn from:
// the room, the four results, the size of one loudspeaker's zone as the
// calculation assumed it, and the texts the report shows. Lengths in
// metres, angles in radians (with pi taken as calc::Pi) unless named in
// degrees.
struct PlanFigures {
    calc::Mounting mounting = calc::Mounting::Ceiling;

    double roomL = 0.0;    // room length, along X
    double roomW = 0.0;    // room width, along Y
    double roomArea = 0.0; // room area as the calculation took it, m²
    // The room's floor: the rectangle roomL x roomW at the origin, or an
    // outline on its floor's coordinates. Empty: the rectangle.
    calc::Shape shape;

    // The floor the plan is drawn on: shape, or the rectangle where it is
    // empty.
    calc::Shape roomShape() const { return shape.isEmpty() ? calc::Shape::rectangle(roomL, roomW) : shape; }

    double count = 0.0;    // loudspeakers needed
    double splTotal = 0.0; // total sound pressure, dB
    double range = 0.0;    // effective range; for the wall its horizontal reach
    double coverS = 0.0;   // floor area one loudspeaker covers, m²

    double radius = 0.0; // ceiling: radius of the covered disc
    double dirRad = 0.0; // wall and horns: horizontal directivity
    double dropH = 0.0;  // height of the loudspeaker above the listening plane

    // Horns: the slant distances from the loudspeaker to the near and far
    // edge of the zone, half the vertical directivity plus the tilt (degrees;
    // above 90 the zone reaches behind the wall), the round horn's width at
    // the far edge and the square horn's beam sides at both edges.
    double nearSlant = 0.0;
    double farSlant = 0.0;
    double edgeDeg = 0.0;
    double farHalfW = 0.0;
    double nearSide = 0.0;
    double farSide = 0.0;

    // The angles of the loudspeaker, degrees, and the level the room asks
    // for (noise + margin, at least 75 dB), for the map of the level.
    double dirDeg = 0.0;
    double vDirDeg = 0.0;
    double tiltDeg = 0.0;
    double requiredLevel = 75.0;

    // The room's height (the ceiling or installation height the
    // calculation took) and its noise, dB(A), for the intelligibility map.
    double roomHeight = 0.0;
    double noise = 0.0;

    QString model;        // the loudspeaker as the report names it
    QString mountingWord; // the mounting as the report names it, e.g. "Настенный"
    QChar decimalPoint = u'.';
};

// What the plan draws from a completed calculation of the main window.
PlanFigures figuresOf(const calc::CompletedCalculation &calculation);

} // namespace plan
