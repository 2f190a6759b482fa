#include "floorcoverage.h"
#include "layout.h"
#include "zones.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

// The arrangements in a room of any shape: laid out in the room's own axes
// (the outline in its local frame, 0 .. length along X by 0 .. width across),
// then placed on its floor.
namespace plan {

namespace {

// The most distances worked out to find how near moved or added
// loudspeakers came to the others.
constexpr double PitchWork = 1e7;

double lengthOf(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

QPointF unit(QPointF v)
{
    const double length = lengthOf(v);
    return length > 0.0 ? v / length : QPointF();
}

// The room lies left of every edge: its inward normal is the edge's
// direction turned by +90 degrees.
QPointF inwardNormal(const QLineF &edge)
{
    const QPointF d = unit(edge.p2() - edge.p1());
    return QPointF(-d.y(), d.x());
}

// The edge from its end of lower X (of lower Y where both have the same).
QLineF rising(const QLineF &edge)
{
    const QPointF a = edge.p1();
    const QPointF b = edge.p2();
    if (b.x() < a.x() || (b.x() == a.x() && b.y() < a.y()))
        return QLineF(b, a);
    return edge;
}

// Of two edges, whether a goes before b: the longer (within rounding),
// then the one facing +Y the most, the lower, the further left.
bool wallBefore(const QLineF &a, const QLineF &b)
{
    const double tolerance = 1e-9 * std::max(a.length(), b.length());
    if (a.length() > b.length() + tolerance)
        return true;
    if (b.length() > a.length() + tolerance)
        return false;
    const double ay = inwardNormal(a).y();
    const double by = inwardNormal(b).y();
    if (ay != by)
        return ay > by;
    const QPointF ma = a.center();
    const QPointF mb = b.center();
    if (ma.y() != mb.y())
        return ma.y() < mb.y();
    return ma.x() < mb.x();
}

// The point inside the outline nearest to a point outside it, clearance
// from the walls where the room has that much room, less where it has
// not: from the nearest point of the outline inwards, then pushed off any
// other wall it came too near.
QPointF movedInside(const calc::Shape &shape, QPointF point)
{
    if (shape.contains(point))
        return point;
    const QPointF onOutline = shape.nearestOnOutline(point);
    const QPointF inwards = unit(onOutline - point);
    for (double clearance = InsideClearance; clearance > 1e-3; clearance /= 2.0) {
        QPointF at = onOutline + clearance * inwards;
        for (int step = 0; step < 8; ++step) {
            const QPointF nearest = shape.nearestOnOutline(at);
            const double distance = lengthOf(at - nearest);
            const bool inside = shape.contains(at);
            if (inside && distance >= clearance * (1.0 - 1e-9))
                return at;
            const QPointF away = inside ? unit(at - nearest) : unit(nearest - at);
            at = nearest + clearance * away;
        }
        if (shape.contains(at) && shape.distanceToOutline(at) >= clearance * (1.0 - 1e-9))
            return at;
    }
    return onOutline;
}

// The smallest distance from a point to any of the placements but the
// one at skip.
double nearestDistance(const std::vector<Placement> &placements, QPointF at, std::size_t skip)
{
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < placements.size(); ++i) {
        if (i != skip)
            nearest = std::min(nearest, lengthOf(placements[i].position - at));
    }
    return nearest;
}

// Adds ceiling loudspeakers one at a time, each at the centre of the
// largest patch of uncovered cells (the patch's cell nearest to the mean
// of its uncovered cells), until no cell of the floor is left uncovered or
// the plan holds no more. Returns false where cells remain uncovered.
bool fillGaps(const calc::Shape &local, double radius, std::vector<Placement> &placements)
{
    const CellGrid grid = cellGrid(local.length(), local.width());
    if (grid.cells() == 0)
        return true;
    ZoneForm disc;
    disc.shape = ZoneShape::Disc;
    disc.radius = radius;
    std::vector<quint8> cells = insideCells(grid, local); // 1: floor, not yet covered
    for (const Placement &placement : placements) {
        forZoneCells(grid, disc, placement, [&](qint64 row, qint64 first, qint64 last) {
            std::fill(cells.begin() + row * grid.columns + first,
                      cells.begin() + row * grid.columns + last + 1, quint8(0));
        });
    }
    // The patches: uncovered floor cells joined side to side.
    std::vector<int> patchOf(cells.size(), -1);
    std::vector<std::vector<qint64>> patches;
    std::vector<qint64> stack;
    for (qint64 start = 0; start < qint64(cells.size()); ++start) {
        if (!cells[std::size_t(start)] || patchOf[std::size_t(start)] >= 0)
            continue;
        const int id = int(patches.size());
        patches.emplace_back();
        stack.push_back(start);
        patchOf[std::size_t(start)] = id;
        while (!stack.empty()) {
            const qint64 cell = stack.back();
            stack.pop_back();
            patches.back().push_back(cell);
            const qint64 column = cell % grid.columns;
            const qint64 row = cell / grid.columns;
            const qint64 around[4]
                = {column > 0 ? cell - 1 : -1, column + 1 < grid.columns ? cell + 1 : -1,
                   row > 0 ? cell - grid.columns : -1, row + 1 < grid.rows ? cell + grid.columns : -1};
            for (const qint64 next : around) {
                if (next >= 0 && cells[std::size_t(next)] && patchOf[std::size_t(next)] < 0) {
                    patchOf[std::size_t(next)] = id;
                    stack.push_back(next);
                }
            }
        }
    }
    std::vector<qint64> left(patches.size());
    std::priority_queue<std::pair<qint64, int>> largest;
    for (std::size_t i = 0; i < patches.size(); ++i) {
        left[i] = qint64(patches[i].size());
        largest.push({left[i], int(i)});
    }
    const auto centreOf = [&](qint64 cell) {
        return QPointF((double(cell % grid.columns) + 0.5) * grid.cellWidth,
                       (double(cell / grid.columns) + 0.5) * grid.cellHeight);
    };
    while (!largest.empty()) {
        const auto [size, id] = largest.top();
        largest.pop();
        if (size != left[std::size_t(id)] || size == 0)
            continue; // an older entry of a patch that has shrunk since
        if (placements.size() >= std::size_t(MaxLoudspeakers))
            return false;
        QPointF mean(0.0, 0.0);
        for (const qint64 cell : patches[std::size_t(id)]) {
            if (cells[std::size_t(cell)])
                mean += centreOf(cell);
        }
        mean /= double(size);
        qint64 best = -1;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (const qint64 cell : patches[std::size_t(id)]) {
            const double distance = cells[std::size_t(cell)] ? lengthOf(centreOf(cell) - mean) : bestDistance;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = cell;
            }
        }
        const Placement added{centreOf(best), Side::Ceiling, QPointF()};
        placements.push_back(added);
        // The disc covers its own centre, so every step covers a cell;
        // the patches it shrank go back with their new sizes.
        std::vector<int> touched;
        forZoneCells(grid, disc, added, [&](qint64 row, qint64 first, qint64 last) {
            for (qint64 cell = row * grid.columns + first; cell <= row * grid.columns + last; ++cell) {
                if (cells[std::size_t(cell)]) {
                    cells[std::size_t(cell)] = 0;
                    const int patch = patchOf[std::size_t(cell)];
                    if (--left[std::size_t(patch)] >= 0 && (touched.empty() || touched.back() != patch))
                        touched.push_back(patch);
                }
            }
        });
        std::sort(touched.begin(), touched.end());
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        for (const int patch : touched) {
            if (left[std::size_t(patch)] > 0)
                largest.push({left[std::size_t(patch)], patch});
        }
    }
    return true;
}

} // namespace

WallEdges wallEdges(const calc::Shape &localShape)
{
    WallEdges walls;
    std::vector<QLineF> edges = localShape.edges();
    if (edges.empty())
        return walls;
    std::stable_sort(edges.begin(), edges.end(), wallBefore);
    walls.first = rising(edges.front());
    walls.firstNormal = inwardNormal(edges.front());
    if (edges.size() < 2)
        return walls;
    // Facing it: inward normals at least 150 degrees apart.
    const double facingCos = std::cos(150.0 * 3.14159265358979323846 / 180.0);
    const auto facing = std::find_if(edges.begin() + 1, edges.end(), [&](const QLineF &edge) {
        const QPointF n = inwardNormal(edge);
        return n.x() * walls.firstNormal.x() + n.y() * walls.firstNormal.y() <= facingCos + 1e-12;
    });
    const QLineF second = facing != edges.end() ? *facing : edges[1];
    walls.second = rising(second);
    walls.secondNormal = inwardNormal(second);
    walls.hasSecond = true;
    return walls;
}

Layout layOut(Arrangement arrangement, const calc::Shape &shape, double radius, double count)
{
    if (shape.isPlainRectangle() || shape.isEmpty())
        return layOut(arrangement, shape.length(), shape.width(), radius, count);
    const calc::Shape local = shape.inLocalFrame();
    const double length = local.length();
    const double width = local.width();
    Layout layout = layOut(arrangement, length, width, radius, count);
    std::vector<Placement> &placements = layout.placements;

    switch (arrangement) {
    case Arrangement::Rows: {
        std::vector<std::size_t> moved;
        for (std::size_t i = 0; i < placements.size(); ++i) {
            const QPointF at = placements[i].position;
            placements[i].position = movedInside(local, at);
            if (placements[i].position != at)
                moved.push_back(i);
        }
        // Moved loudspeakers may come nearer to others than the rows'
        // spacing; measured where that takes little time.
        if (double(moved.size()) * double(placements.size()) <= PitchWork) {
            for (const std::size_t i : moved)
                layout.pitch = std::min(layout.pitch, nearestDistance(placements, placements[i].position, i));
        }
        break;
    }
    case Arrangement::NoGaps:
    case Arrangement::EdgeToEdge:
    case Arrangement::FullOverlap: {
        if (layout.tooMany)
            break;
        std::erase_if(placements, [&](const Placement &p) { return !local.contains(p.position); });
        const std::size_t kept = placements.size();
        bool complete = true;
        if (arrangement == Arrangement::NoGaps && std::isfinite(radius) && radius > 0.0)
            complete = fillGaps(local, radius, placements);
        if (double(placements.size() - kept) * double(placements.size()) <= PitchWork) {
            for (std::size_t i = kept; i < placements.size(); ++i)
                layout.pitch = std::min(layout.pitch, nearestDistance(placements, placements[i].position, i));
        }
        layout.needed = {double(placements.size()) + (complete ? 0.0 : 1.0), !complete};
        break;
    }
    case Arrangement::OneWall:
    case Arrangement::TwoWalls: {
        const bool two = arrangement == Arrangement::TwoWalls;
        const int all = int(placements.size());
        placements.clear();
        const WallEdges walls = wallEdges(local);
        const int near = two && walls.hasSecond ? (all + 1) / 2 : all;
        const int far = all - near;
        const auto spread = [&](const QLineF &edge, QPointF normal, int n, Side side) {
            const QPointF a = edge.p1();
            const QPointF b = edge.p2();
            for (int i = 0; i < n; ++i)
                placements.push_back(wallPlacement(
                    QPointF(a.x() + (i + 0.5) * (b.x() - a.x()) / n, a.y() + (i + 0.5) * (b.y() - a.y()) / n),
                    normal, side));
        };
        spread(walls.first, walls.firstNormal, near, Side::NearWall);
        spread(walls.second, walls.secondNormal, far, Side::FarWall);
        double pitch = std::numeric_limits<double>::infinity();
        if (near > 1)
            pitch = walls.first.length() / near;
        if (far > 1)
            pitch = std::min(pitch, walls.second.length() / far);
        if (far > 0) {
            const QPointF between = walls.second.center() - walls.first.center();
            pitch = std::min(
                pitch, std::abs(between.x() * walls.firstNormal.x() + between.y() * walls.firstNormal.y()));
        }
        layout.pitch = std::isfinite(pitch) ? pitch : std::max(length, width);
        break;
    }
    }
    for (Placement &placement : placements)
        placement = placementToFloor(placement, shape.axes());
    return layout;
}

} // namespace plan
