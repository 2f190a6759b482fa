#pragma once

// The two rooms of any shape the plan's benchmarks lay out: an L-shaped
// corridor (60 x 3 m with a 30 x 3 m leg) and a 40 x 20 m hall with a
// half-round end (30 x 20 m and a half-disc of radius 10 m in 64 segments).

#include "calc/shape.h"

#include <cmath>
#include <vector>

namespace benchshapes {

inline calc::Shape corridor()
{
    return calc::Shape::fromOutline({{0, 0}, {60, 0}, {60, 3}, {3, 3}, {3, 30}, {0, 30}});
}

inline calc::Shape roundHall()
{
    std::vector<QPointF> outline{{0, 0}, {30, 0}};
    for (int i = 1; i < 64; ++i) {
        const double angle = -M_PI / 2.0 + M_PI * i / 64.0;
        outline.emplace_back(30 + 10 * std::cos(angle), 10 + 10 * std::sin(angle));
    }
    outline.emplace_back(30, 20);
    outline.emplace_back(0, 20);
    return calc::Shape::fromOutline(outline);
}

} // namespace benchshapes
