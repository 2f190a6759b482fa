#pragma once

// The ceiling examples the plan's tests and benchmark draw: a 6 x 6 m room
// with the worked ceiling loudspeaker (radius 1.49993 m, 5 needed) and a
// 30 x 12 m room with a 3 m radius (13 needed).

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

} // namespace planexamples
