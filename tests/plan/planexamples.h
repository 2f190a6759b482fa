#pragma once

// The ceiling examples the plan's tests and benchmark draw: a 6 x 6 m room
// with the worked ceiling loudspeaker (radius 1.49993 m, 5 needed), a
// 30 x 12 m room with a 3 m radius (13 needed), and the level map's worked
// example: 12 x 8 m, 90 dB, 90 degrees, 1.5 m above the listening plane,
// 6 in rows at (2; 2) (6; 2) (10; 2) (2; 6) (6; 6) (10; 6).

#include "plan/planfigures.h"

namespace planexamples {

inline plan::PlanFigures ceiling(double length, double width, double radius, double count, double coverS,
                                 QChar decimalPoint)
{
    plan::PlanFigures f;
    f.mounting = calc::Mounting::Ceiling;
    f.roomL = length;
    f.roomW = width;
    f.roomArea = length * width;
    f.radius = radius;
    f.count = count;
    f.splTotal = 95;
    f.range = 6;
    f.coverS = coverS;
    f.model = QStringLiteral("ГР-1");
    f.mountingWord = QStringLiteral("Потолочный");
    f.decimalPoint = decimalPoint;
    return f;
}

inline plan::PlanFigures ceiling6x6(QChar decimalPoint)
{
    return ceiling(6, 6, 1.49993, 5, 8, decimalPoint);
}

inline plan::PlanFigures ceiling30x12(QChar decimalPoint)
{
    return ceiling(30, 12, 3, 13, 29, decimalPoint);
}

inline plan::PlanFigures workedLevel(QChar decimalPoint)
{
    plan::PlanFigures f = ceiling(12, 8, 1.5, 6, 16, decimalPoint);
    f.splTotal = 90;
    f.dirDeg = 90;
    f.dropH = 1.5;
    f.requiredLevel = 75;
    return f;
}

} // namespace planexamples
