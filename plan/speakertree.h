#pragma once

// What the level map and the fit's bounds share of the loudspeakers'
// geometry: the frame a loudspeaker points by, the turning of a wall that
// faces any way onto the near wall, and the tree of boxes the loudspeakers
// of one frame are grouped in. Private to plan/.

#include "layout.h"

#include "calc/calcstate.h"

#include <QPointF>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>
#include <vector>

namespace plan::speakers {

// Loudspeakers in a leaf of a tree.
inline constexpr int LeafSize = 8;

// lg 0.5 / lg cos(half the directivity): the exponent that puts the level
// 6 dB down at half the directivity angle.
inline double directivityExponent(double directivityDeg)
{
    return std::log10(0.5) / std::log10(std::cos(calc::degreesToRadians(directivityDeg / 2.0)));
}

// The smallest magnitude of a number between low and high.
inline double nearestToZero(double low, double high)
{
    if (low > 0.0)
        return low;
    if (high < 0.0)
        return -high;
    return 0.0;
}

// The axis of a loudspeaker, (0, ay, az), and the normal of its horizontal
// plane, (0, vy, vz), which spans its vertical plane with the axis. The
// direction along the wall, (1, 0, 0), completes them. A ceiling
// loudspeaker is a wall loudspeaker tilted a right angle down.
struct Frame {
    double ay = 0.0;
    double az = -1.0;
    double vy = 1.0;
    double vz = 0.0;
};

inline Frame frameFor(Side side, double tiltDeg)
{
    Frame frame;
    if (side == Side::Ceiling)
        return frame;
    const double tilt = calc::degreesToRadians(tiltDeg);
    const double facing = side == Side::FarWall ? -1.0 : 1.0;
    frame.ay = facing * std::cos(tilt);
    frame.az = -std::sin(tilt);
    frame.vy = facing * std::sin(tilt);
    frame.vz = std::cos(tilt);
    return frame;
}

// A wall facing any way is a near wall in coordinates turned so that its
// normal is +Y: the offset's component across the normal, then along it.
inline QPointF turned(QPointF normal, double dx, double dy)
{
    return QPointF(dx * normal.y() - dy * normal.x(), dx * normal.x() + dy * normal.y());
}

// The loudspeakers of one frame in a tree of boxes: each node holds the
// bounding box of its loudspeakers; a leaf holds up to LeafSize of them.
struct Tree {
    struct Node {
        double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
        int begin = 0;
        int end = 0;
        int first = -1; // the first child; the second follows it
    };
    Frame frame;
    // Loudspeakers on a wall facing any way: their positions are held
    // turned (see turned()), and the frame is the near wall's.
    bool isTurned = false;
    QPointF normal;
    std::vector<QPointF> points;
    std::vector<Node> nodes;

    void build(std::vector<QPointF> positions, const Frame &sideFrame,
               const std::atomic<bool> *cancel = nullptr)
    {
        frame = sideFrame;
        points = std::move(positions);
        build(cancel);
    }

    // The tree of the points as they stand (reordered within it). The
    // tree of a plan of tens of thousands of loudspeakers takes a while:
    // once cancel is set, the nodes left are not split (each stays a leaf
    // of all its points), and the caller is to give the tree up.
    void build(const std::atomic<bool> *cancel = nullptr)
    {
        nodes.clear();
        if (points.empty())
            return;
        nodes.reserve(4 * points.size() / LeafSize + 2);
        nodes.emplace_back();
        m_cancel = cancel;
        split(0, 0, int(points.size()));
        m_cancel = nullptr;
    }

private:
    // Nodes of at least this many points look at the cancel flag.
    static constexpr int CancelCheckPoints = 1024;
    const std::atomic<bool> *m_cancel = nullptr;

    void split(int index, int begin, int end)
    {
        Node node;
        node.begin = begin;
        node.end = end;
        node.x0 = node.x1 = points[begin].x();
        node.y0 = node.y1 = points[begin].y();
        for (int i = begin + 1; i < end; ++i) {
            node.x0 = std::min(node.x0, points[i].x());
            node.x1 = std::max(node.x1, points[i].x());
            node.y0 = std::min(node.y0, points[i].y());
            node.y1 = std::max(node.y1, points[i].y());
        }
        const bool cancelled
            = m_cancel && end - begin >= CancelCheckPoints && m_cancel->load(std::memory_order_relaxed);
        if (end - begin > LeafSize && !cancelled) {
            const bool alongX = node.x1 - node.x0 >= node.y1 - node.y0;
            const int middle = begin + (end - begin) / 2;
            std::nth_element(
                points.begin() + begin, points.begin() + middle, points.begin() + end,
                [alongX](QPointF a, QPointF b) { return alongX ? a.x() < b.x() : a.y() < b.y(); });
            node.first = int(nodes.size());
            nodes.emplace_back();
            nodes.emplace_back();
            nodes[index] = node;
            split(node.first, begin, middle);
            split(node.first + 1, middle, end);
            return;
        }
        nodes[index] = node;
    }
};

} // namespace plan::speakers
