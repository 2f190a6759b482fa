#include "levelmap.h"

#include "calc/numberformat.h"
#include "powerpoints.h"
#include "speakertree.h"
#include "widgets/backgroundjobs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <thread>

namespace plan {
namespace {

using namespace speakers;

// 10^(-40 / 10): the directivity never takes a power below -40 dB.
constexpr double FloorGain = 1e-4;

// The share of the summed power the left-out loudspeakers may add at most,
// 10^(LevelMapTolerance / 10) - 1, kept a little below it so that the
// rounding of the sums cannot carry a cell past the tolerance.
const double LeftOutShare = (std::pow(10.0, LevelMapTolerance / 10.0) - 1.0) * (1.0 - 1e-9);

// A bound of a box's power is raised by this factor, which covers the
// rounding of the power of any loudspeaker in it.
constexpr double BoundMargin = 1.0 + 1e-9;

// 10 lg x = (10 / ln 10) ln x; the natural logarithm is the quicker.
constexpr double TenOverLn10 = 4.34294481903251827651;

// The cells of one block share one choice of loudspeakers.
constexpr int BlockCells = MapBlocks::Size;

bool validDirectivity(double degrees)
{
    return std::isfinite(degrees) && degrees > 0.0 && degrees <= 180.0
        && std::isfinite(directivityExponent(degrees)) && directivityExponent(degrees) >= 0.0;
}

// The side whose frame a placement takes (a wall facing any way takes the
// near wall's, in turned coordinates) and its offset toward a point.
Side frameSide(const Placement &placement)
{
    return placement.isTurned() ? Side::NearWall : placement.side;
}

QPointF offsetOf(const Placement &placement, QPointF point)
{
    const double dx = point.x() - placement.position.x();
    const double dy = point.y() - placement.position.y();
    return placement.isTurned() ? turned(placement.normal, dx, dy) : QPointF(dx, dy);
}

// q^power for positive q, as std::pow gives it to within about 1e-15 of
// its value but several times faster, for the millions of powers of one
// map: q = q0 (1 + t), q0 the table's point at or below q (q with all but
// the top mantissa bits cleared), q0^power from the table and (1 + t)^power
// from its binomial series. The table points lie 2^-bits apart relative to
// q, so that t max(1, |power|) < 1/128, and eight terms of
// the series leave an error below 1e-16. A q outside the table, or a table
// that would be too large, is left to std::pow. A table filled on demand
// computes each point the first time it is needed (a few blocks of a map
// need few of them), but then must not be shared between threads.
class PowerTable {
public:
    enum class Filling {
        Whole,
        // Whole, from the powers the process shares (powerPoints): for a
        // table that depends on the law alone, not on the room.
        Shared,
        OnDemand,
    };

    PowerTable(double power, double lowest, double highest, Filling filling = Filling::Whole)
        : m_power(power),
          m_onDemand(filling == Filling::OnDemand)
    {
        if (!(std::isfinite(power) && lowest > 0.0 && highest >= lowest && std::isfinite(highest)))
            return;
        m_bits = std::clamp(int(std::ceil(std::log2(128.0 * std::max(1.0, std::abs(power))))), 7, 40);
        m_shift = MantissaBits - m_bits;
        m_first = std::bit_cast<std::uint64_t>(lowest) >> m_shift;
        const std::uint64_t last = std::bit_cast<std::uint64_t>(highest) >> m_shift;
        const std::uint64_t count = std::min<std::uint64_t>(last - m_first + 1, MaxEntries);
        m_entries.assign(count, Entry{std::numeric_limits<double>::quiet_NaN(), 0.0});
        if (filling == Filling::Shared) {
            const std::shared_ptr<const std::vector<double>> points
                = powerPoints(power, m_shift, m_first, count);
            for (std::uint64_t i = 0; i < count; ++i)
                m_entries[i] = {(*points)[i], 1.0 / std::bit_cast<double>((m_first + i) << m_shift)};
        } else if (filling == Filling::Whole) {
            for (std::uint64_t i = 0; i < count; ++i)
                fill(i);
        }
        double binomial = 1.0;
        for (int k = 0; k < Terms; ++k) {
            m_binomial[std::size_t(k)] = binomial;
            binomial *= (power - k) / (k + 1.0);
        }
    }

    double operator()(double q) const
    {
        const std::uint64_t index = (std::bit_cast<std::uint64_t>(q) >> m_shift) - m_first;
        if (!(q > 0.0) || index >= m_entries.size())
            return std::pow(q, m_power);
        const Entry &entry = m_entries[index];
        if (m_onDemand && std::isnan(entry.power))
            fill(index);
        const double q0 = std::bit_cast<double>((std::bit_cast<std::uint64_t>(q) >> m_shift) << m_shift);
        const double t = (q - q0) * entry.inverse;
        // The series in pairs of terms (Estrin's scheme): fewer steps that
        // wait on each other than one term after another.
        const auto &c = m_binomial;
        const double t2 = t * t;
        const double low = (c[0] + c[1] * t) + t2 * (c[2] + c[3] * t);
        const double high = (c[4] + c[5] * t) + t2 * (c[6] + c[7] * t);
        return entry.power * (low + t2 * t2 * high);
    }

private:
    static constexpr int MantissaBits = 52;
    static constexpr int Terms = 8;
    static constexpr std::uint64_t MaxEntries = 1 << 16;

    struct Entry {
        double power;   // q0^power
        double inverse; // 1 / q0
    };

    void fill(std::uint64_t i) const
    {
        const double q0 = std::bit_cast<double>((m_first + i) << m_shift);
        m_entries[i] = {std::pow(q0, m_power), 1.0 / q0};
    }

    double m_power;
    bool m_onDemand;
    int m_bits = 0;
    int m_shift = 0;
    std::uint64_t m_first = 0;
    mutable std::vector<Entry> m_entries;
    std::array<double, Terms> m_binomial{};
};

// The power of one loudspeaker at a point relative to its level 1 m away
// on its axis, 10^((Li - splTotal) / 10), from the point's offset
// (dx, dy) on the plane and the loudspeaker's height.
class Beam {
public:
    explicit Beam(const LevelInputs &inputs)
        : m_horn(inputs.mounting == calc::Mounting::RoundHorn
                 || inputs.mounting == calc::Mounting::SquareHorn),
          m_h(inputs.dropH),
          m_h2(inputs.dropH * inputs.dropH),
          m_n(directivityExponent(inputs.dirDeg)),
          m_nv(m_horn ? directivityExponent(inputs.vDirDeg) : 0.0),
          // A squared cosine at or below these gives a factor at or below
          // FloorGain; the power is not needed there.
          m_floorCos2(std::pow(FloorGain, 1.0 / m_n)),
          m_floorCos2V(std::pow(FloorGain, 1.0 / m_nv)),
          m_heightPower(std::pow(m_h2, m_n))
    { }

    double gain(double dx, double dy, const Frame &frame) const
    {
        const double q = dx * dx + dy * dy + m_h2;
        return directivityGain(dx, dy, q, frame) / std::max(q, 1.0);
    }

    // The exponent of q in the single-angle law where q >= 1.
    double distancePower() const { return -m_n - 1.0; }
    // The exponent of the axis component's square (along^2), and of a
    // horn's vertical squared cosine; the latter's least value that counts.
    double alongPower() const { return m_n; }
    double verticalPower() const { return m_horn ? m_nv : std::numeric_limits<double>::quiet_NaN(); }
    double leastVerticalCos2() const { return m_floorCos2V; }
    // The exponent of along^2 + dx^2 in a horn's horizontal factor; NaN
    // for the other mountings.
    double hornPower() const { return m_horn ? -m_n : std::numeric_limits<double>::quiet_NaN(); }

    // Adds gain(dx[i], dy, frame) to sums[i] for count offsets of one row.
    // The single-angle law takes one power per point: along the row the
    // axis component is the same, and (along^2 / q)^n / q = along^(2n) *
    // q^-(n + 1) where q >= 1, which powers gives.
    // The tables of the powers a row takes: of q (single angle), of a
    // horn's along^2 + dx^2, of along^2 and of a horn's vertical cos^2.
    struct RowTables {
        const PowerTable &powers;
        const PowerTable &hornPowers;
        const PowerTable &alongPowers;
        const PowerTable &verticalPowers;
    };

    void addRow(const double *dx, int count, double dy, const Frame &frame, const RowTables &tables,
                double *sums) const
    {
        const PowerTable &powers = tables.powers;
        const PowerTable &hornPowers = tables.hornPowers;
        const double along = dy * frame.ay - m_h * frame.az;
        const double rowQ = dy * dy + m_h2;
        if (!(along > 0.0)) {
            for (int i = 0; i < count; ++i)
                sums[i] += FloorGain / std::max(dx[i] * dx[i] + rowQ, 1.0);
            return;
        }
        if (m_horn) {
            // The vertical angle is the same along the row: its factor
            // once, the horizontal one cell by cell.
            const double along2 = along * along;
            const double across = dy * frame.vy - m_h * frame.vz;
            const double cos2V = along2 / (along2 + across * across);
            if (!(cos2V > m_floorCos2V)) {
                for (int i = 0; i < count; ++i)
                    sums[i] += FloorGain / std::max(dx[i] * dx[i] + rowQ, 1.0);
                return;
            }
            // (along^2 / s)^n = along^(2n) s^-n, s = along^2 + dx^2: one
            // power a row and the table's along it.
            const double factor = tables.verticalPowers(cos2V) * tables.alongPowers(along2);
            for (int i = 0; i < count; ++i) {
                const double q = dx[i] * dx[i] + rowQ;
                const double s = along2 + dx[i] * dx[i];
                const double cos2H = along2 / s;
                const double g
                    = cos2H > m_floorCos2 ? std::max(factor * hornPowers(s), FloorGain) : FloorGain;
                sums[i] += g / std::max(q, 1.0);
            }
            return;
        }
        const double along2 = along * along;
        const double alongPower = along == m_h ? m_heightPower : tables.alongPowers(along2);
        const double floorQ = along2 / m_floorCos2; // cos^2 above the floor where q < floorQ
        for (int i = 0; i < count; ++i) {
            const double q = dx[i] * dx[i] + rowQ;
            double g;
            if (!(q < floorQ))
                g = FloorGain / std::max(q, 1.0);
            else if (q >= 1.0)
                g = alongPower * powers(q); // above the floor: q < floorQ
            else
                g = std::max(std::pow(along2 / q, m_n), FloorGain);
            sums[i] += g;
        }
    }

    // The least squared cosines whose factors count, across the axis and
    // (horns) along it.
    double leastCos2() const { return m_floorCos2; }

    // The powers of the squared cosines: from tables where given (the
    // factor's power, and a horn's vertical one), else std::pow.
    struct FactorTables {
        const PowerTable *powers;
        const PowerTable *verticalPowers;
    };

    // 10^(D / 10).
    double directivityGain(double dx, double dy, double q, const Frame &frame) const
    {
        return directivityGain(dx, dy, q, frame, FactorTables{nullptr, nullptr});
    }
    double directivityGain(double dx, double dy, double q, const Frame &frame,
                           const FactorTables &tables) const
    {
        const double along = dy * frame.ay - m_h * frame.az;
        if (!(along > 0.0))
            return FloorGain;
        const double along2 = along * along;
        if (!m_horn) {
            const double cos2 = along2 / q;
            return cos2 > m_floorCos2 ? std::max(raised(cos2, m_n, tables.powers), FloorGain) : FloorGain;
        }
        const double across = dy * frame.vy - m_h * frame.vz;
        const double cos2H = along2 / (along2 + dx * dx);
        const double cos2V = along2 / (along2 + across * across);
        if (!(cos2H > m_floorCos2 && cos2V > m_floorCos2V))
            return FloorGain;
        return std::max(raised(cos2H, m_n, tables.powers) * raised(cos2V, m_nv, tables.verticalPowers),
                        FloorGain);
    }

    // The most gain() can be for any offset dx0 <= dx <= dx1, dy0 <= dy <=
    // dy1: every factor at its largest over the box, the distance at its
    // smallest (the tables' powers, within 1e-15 of std::pow's, are well
    // inside BoundMargin).
    double gainBound(double dx0, double dx1, double dy0, double dy1, const Frame &frame,
                     const FactorTables &tables) const
    {
        const double mx = nearestToZero(dx0, dx1);
        const double my = nearestToZero(dy0, dy1);
        const double q = mx * mx + my * my + m_h2;
        const double along = std::max(dy0 * frame.ay, dy1 * frame.ay) - m_h * frame.az;
        double g = FloorGain;
        if (along > 0.0) {
            const double along2 = along * along;
            if (!m_horn) {
                const double cos2 = std::min(1.0, along2 / q);
                if (cos2 > m_floorCos2)
                    g = raised(cos2, m_n, tables.powers);
            } else {
                const double a0 = dy0 * frame.vy - m_h * frame.vz;
                const double a1 = dy1 * frame.vy - m_h * frame.vz;
                const double mv = nearestToZero(std::min(a0, a1), std::max(a0, a1));
                const double cos2H = along2 / (along2 + mx * mx);
                const double cos2V = along2 / (along2 + mv * mv);
                if (cos2H > m_floorCos2 && cos2V > m_floorCos2V)
                    g = raised(cos2H, m_n, tables.powers) * raised(cos2V, m_nv, tables.verticalPowers);
            }
            g = std::max(g, FloorGain);
        }
        return g / std::max(q, 1.0) * BoundMargin;
    }

private:
    static double raised(double x, double p, const PowerTable *table)
    {
        return table ? (*table)(x) : std::pow(x, p);
    }

    bool m_horn;
    double m_h;
    double m_h2;
    double m_n;  // single angle, or the horn's horizontal exponent
    double m_nv; // the horn's vertical exponent
    double m_floorCos2;
    double m_floorCos2V;
    double m_heightPower; // (dropH^2)^n: a ceiling loudspeaker's axis component is dropH
};

// What the heap of one block holds: a node of a tree, or one loudspeaker
// (point >= 0), with the most it can add to any cell of the block.
struct Candidate {
    double bound;
    int tree;
    int node;
    int point;

    bool operator<(const Candidate &other) const { return bound < other.bound; }
};

struct Block {
    int firstColumn, columns, firstRow, rows;
    double x0, x1, y0, y1; // the box of the cell centres
};

// The box of a block's cell centres in the coordinates of one tree.
struct BlockBox {
    double x0, x1, y0, y1;
};

class MapComputation {
    static PowerTable::Filling tableFilling(bool onDemand)
    {
        return onDemand ? PowerTable::Filling::OnDemand : PowerTable::Filling::Whole;
    }

public:
    // The table of powers covers the distances of the room's cells from
    // its loudspeakers, from 1 m or the height up.
    // onDemand: the table is filled as needed, and the computation then
    // serves one thread.
    MapComputation(const LevelInputs &inputs, const CellGrid &grid, bool onDemand = false)
        : m_beam(inputs),
          m_grid(grid),
          m_powers(m_beam.distancePower(), std::max(1.0, inputs.dropH * inputs.dropH),
                   inputs.length * inputs.length + inputs.width * inputs.width + inputs.dropH * inputs.dropH,
                   tableFilling(onDemand)),
          // A horn's along^2 + dx^2, from a quarter of a square metre (below
          // it std::pow) to the room's diagonal and height.
          m_hornPowers(m_beam.hornPower(), 0.25,
                       inputs.length * inputs.length + inputs.width * inputs.width
                           + inputs.dropH * inputs.dropH + 0.25,
                       tableFilling(onDemand)),
          // A row's along^2 up to the room's diagonal and height, and a
          // horn's vertical cos^2 above the least that counts.
          m_alongPowers(m_beam.alongPower(), 1e-4,
                        inputs.length * inputs.length + inputs.width * inputs.width
                            + inputs.dropH * inputs.dropH,
                        tableFilling(onDemand)),
          m_verticalPowers(m_beam.verticalPower(), m_beam.leastVerticalCos2(), 1.0, tableFilling(onDemand)),
          m_tiltDeg(inputs.tiltDeg)
    {
        setPlacements(inputs.placements);
    }

    // The loudspeakers of the map, in the frame of its cells; the law and
    // the table of powers stay.
    void setPlacements(const std::vector<Placement> &placements, const std::atomic<bool> *cancel = nullptr)
    {
        m_trees.clear();
        m_anyTurned = false;
        std::array<std::vector<QPointF>, 3> bySide;
        // Walls facing any way, one group for each normal, in the order
        // they first come.
        std::vector<std::pair<QPointF, std::vector<QPointF>>> byNormal;
        for (const Placement &placement : placements) {
            if (!placement.isTurned()) {
                bySide[int(placement.side)].push_back(placement.position);
                continue;
            }
            auto group = std::find_if(byNormal.begin(), byNormal.end(),
                                      [&](const auto &g) { return g.first == placement.normal; });
            if (group == byNormal.end()) {
                byNormal.emplace_back(placement.normal, std::vector<QPointF>());
                group = byNormal.end() - 1;
            }
            group->second.push_back(turned(placement.normal, placement.position.x(), placement.position.y()));
        }
        for (int side = 0; side < 3; ++side) {
            if (bySide[side].empty())
                continue;
            Tree tree;
            tree.build(std::move(bySide[side]), frameFor(Side(side), m_tiltDeg), cancel);
            m_trees.push_back(std::move(tree));
        }
        for (auto &[normal, points] : byNormal) {
            Tree tree;
            tree.build(std::move(points), frameFor(Side::NearWall, m_tiltDeg), cancel);
            tree.isTurned = true;
            tree.normal = normal;
            m_trees.push_back(std::move(tree));
            m_anyTurned = true;
        }
    }

    // The power sums of the block's cells, row by row, into sums; returns
    // how many loudspeakers they took.
    int sumBlock(const Block &block, std::vector<Candidate> &heap, std::vector<double> &sums,
                 std::vector<BlockBox> &boxes) const
    {
        return m_anyTurned ? sumBlockOf<true>(block, heap, sums, boxes)
                           : sumBlockOf<false>(block, heap, sums, boxes);
    }

    double centreX(int column) const { return (column + 0.5) * m_grid.cellWidth; }
    double centreY(int row) const { return (row + 0.5) * m_grid.cellHeight; }

private:
    // sumBlock; Turned: some trees are turned (the quicker code without
    // them is the same but for the boxes).
    template <bool Turned>
    int sumBlockOf(const Block &block, std::vector<Candidate> &heap, std::vector<double> &sums,
                   std::vector<BlockBox> &boxes) const
    {
        // The block's box as each tree sees it: its own, or for a turned
        // tree the box of its corners turned.
        if constexpr (Turned)
            boxes.resize(m_trees.size());
        for (std::size_t t = 0; Turned && t < m_trees.size(); ++t) {
            const Tree &tree = m_trees[t];
            if (!tree.isTurned) {
                boxes[t] = {block.x0, block.x1, block.y0, block.y1};
                continue;
            }
            BlockBox box{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
            for (const double x : {block.x0, block.x1}) {
                for (const double y : {block.y0, block.y1}) {
                    const QPointF c = turned(tree.normal, x, y);
                    box.x0 = std::min(box.x0, c.x());
                    box.x1 = std::max(box.x1, c.x());
                    box.y0 = std::min(box.y0, c.y());
                    box.y1 = std::max(box.y1, c.y());
                }
            }
            boxes[t] = box;
        }
        int taken = 0;
        const int cells = block.columns * block.rows;
        sums.assign(std::size_t(cells), 0.0);
        heap.clear();
        double rest = 0.0;
        for (int t = 0; t < int(m_trees.size()); ++t)
            push<Turned>(heap, rest, block, boxes, t, 0, -1);

        double least = 0.0;
        while (!heap.empty()) {
            if (rest <= LeftOutShare * least) {
                // The running sum has lost some precision to the
                // subtractions; add the bounds afresh before relying on it.
                rest = 0.0;
                for (const Candidate &candidate : heap)
                    rest += candidate.bound;
                if (rest <= LeftOutShare * least)
                    break;
            }
            std::pop_heap(heap.begin(), heap.end());
            const Candidate top = heap.back();
            heap.pop_back();
            rest -= top.bound;
            const Tree &tree = m_trees[top.tree];
            if (top.point >= 0) {
                if (Turned && tree.isTurned)
                    addTurned(block, tree, tree.points[top.point], sums);
                else
                    addLoudspeaker(block, tree.frame, tree.points[top.point], sums);
                ++taken;
                least = *std::min_element(sums.begin(), sums.end());
                continue;
            }
            const Tree::Node &node = tree.nodes[top.node];
            if (node.first >= 0) {
                push<Turned>(heap, rest, block, boxes, top.tree, node.first, -1);
                push<Turned>(heap, rest, block, boxes, top.tree, node.first + 1, -1);
            } else {
                for (int i = node.begin; i < node.end; ++i)
                    push<Turned>(heap, rest, block, boxes, top.tree, top.node, i);
            }
        }
        return taken;
    }

    template <bool Turned>
    void push(std::vector<Candidate> &heap, double &rest, const Block &cells,
              const std::vector<BlockBox> &boxes, int t, int nodeIndex, int point) const
    {
        const Tree &tree = m_trees[t];
        const BlockBox own{cells.x0, cells.x1, cells.y0, cells.y1};
        const BlockBox &block = Turned ? boxes[std::size_t(t)] : own;
        double bound = 0.0;
        if (point >= 0) {
            const QPointF at = tree.points[point];
            bound = m_beam.gainBound(block.x0 - at.x(), block.x1 - at.x(), block.y0 - at.y(),
                                     block.y1 - at.y(), tree.frame, factorTables());
        } else {
            const Tree::Node &node = tree.nodes[nodeIndex];
            bound = double(node.end - node.begin)
                * m_beam.gainBound(block.x0 - node.x1, block.x1 - node.x0, block.y0 - node.y1,
                                   block.y1 - node.y0, tree.frame, factorTables());
        }
        heap.push_back({bound, t, nodeIndex, point});
        std::push_heap(heap.begin(), heap.end());
        rest += bound;
    }

    // A loudspeaker of a turned tree, cell by cell.
    void addTurned(const Block &block, const Tree &tree, QPointF at, std::vector<double> &sums) const
    {
        for (int row = 0; row < block.rows; ++row) {
            const double y = centreY(block.firstRow + row);
            for (int column = 0; column < block.columns; ++column) {
                const QPointF c = turned(tree.normal, centreX(block.firstColumn + column), y);
                sums[std::size_t(row * block.columns + column)]
                    += m_beam.gain(c.x() - at.x(), c.y() - at.y(), tree.frame);
            }
        }
    }

    // The powers of the directivity factors' squared cosines.
    Beam::FactorTables factorTables() const { return {&m_alongPowers, &m_verticalPowers}; }

    void addLoudspeaker(const Block &block, const Frame &frame, QPointF at, std::vector<double> &sums) const
    {
        double dx[BlockCells];
        for (int column = 0; column < block.columns; ++column)
            dx[column] = centreX(block.firstColumn + column) - at.x();
        for (int row = 0; row < block.rows; ++row)
            m_beam.addRow(dx, block.columns, centreY(block.firstRow + row) - at.y(), frame,
                          {m_powers, m_hornPowers, m_alongPowers, m_verticalPowers},
                          sums.data() + std::size_t(row * block.columns));
    }

    Beam m_beam;
    CellGrid m_grid;
    PowerTable m_powers;
    PowerTable m_hornPowers;
    PowerTable m_alongPowers;
    PowerTable m_verticalPowers;
    double m_tiltDeg;
    std::vector<Tree> m_trees;
    bool m_anyTurned = false;
};

int threadCount(int requested)
{
    if (requested > 0)
        return requested;
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

bool finite(double value)
{
    return std::isfinite(value);
}

// A plan of more loudspeakers than this is not searched for its images:
// the search sorts them, which a cancel of the plan's map would wait for
// (half a second for 90 000 in the sanitizers' unoptimised build), and so
// many are rare.
constexpr std::size_t MostMirroredLoudspeakers = 20000;

// Where a loudspeaker hangs, as the images of a plan are compared.
struct Spot {
    int side;
    double y;
    double x;
    bool operator<(const Spot &other) const
    {
        if (side != other.side)
            return side < other.side;
        if (y != other.y)
            return y < other.y;
        return x < other.x;
    }
};

// Whether the spots (own sorted) and their images are the same, each to
// within tolerance.
bool sameSpots(const std::vector<Spot> &own, std::vector<Spot> &image, double tolerance)
{
    std::sort(image.begin(), image.end());
    for (std::size_t i = 0; i < own.size(); ++i) {
        if (own[i].side != image[i].side || std::abs(own[i].y - image[i].y) > tolerance
            || std::abs(own[i].x - image[i].x) > tolerance)
            return false;
    }
    return true;
}

int facingSide(Side side)
{
    return int(side == Side::NearWall ? Side::FarWall : side == Side::FarWall ? Side::NearWall : side);
}

} // namespace

Mirrors planMirrors(const CellGrid &grid, const std::vector<Placement> &placements,
                    const std::vector<quint8> &inside)
{
    const double length = grid.columns * grid.cellWidth;
    const double width = grid.rows * grid.cellHeight;
    const double tolerance = 1e-9 * std::max(length, width);
    if (grid.cells() == 0 || !(finite(length) && finite(width) && finite(tolerance)))
        return {};
    if ((!inside.empty() && inside.size() != std::size_t(grid.cells()))
        || placements.size() > MostMirroredLoudspeakers)
        return {};
    std::vector<Spot> own;
    std::vector<Spot> acrossLength;
    std::vector<Spot> acrossWidth;
    for (const Placement &p : placements) {
        if (p.isTurned() || !finite(p.position.x()) || !finite(p.position.y()))
            return {};
        own.push_back({int(p.side), p.position.y(), p.position.x()});
        acrossLength.push_back({int(p.side), p.position.y(), length - p.position.x()});
        acrossWidth.push_back({facingSide(p.side), width - p.position.y(), p.position.x()});
    }
    std::sort(own.begin(), own.end());
    Mirrors mirrors;
    mirrors.acrossLength = sameSpots(own, acrossLength, tolerance);
    mirrors.acrossWidth = sameSpots(own, acrossWidth, tolerance);
    if (inside.empty())
        return mirrors;
    for (int row = 0; row < grid.rows && mirrors.acrossLength; ++row) {
        const quint8 *line = inside.data() + std::size_t(row) * grid.columns;
        mirrors.acrossLength
            = std::equal(line, line + grid.columns / 2, std::reverse_iterator(line + grid.columns));
    }
    for (int row = 0; row < grid.rows / 2 && mirrors.acrossWidth; ++row) {
        const quint8 *line = inside.data() + std::size_t(row) * grid.columns;
        const quint8 *image = inside.data() + std::size_t(grid.rows - 1 - row) * grid.columns;
        mirrors.acrossWidth = std::equal(line, line + grid.columns, image);
    }
    return mirrors;
}

bool hasLevelMap(const LevelInputs &inputs)
{
    const bool horn
        = inputs.mounting == calc::Mounting::RoundHorn || inputs.mounting == calc::Mounting::SquareHorn;
    const bool outline = !inputs.shape.isEmpty() && !inputs.shape.isPlainRectangle();
    const double length = outline ? inputs.shape.length() : inputs.length;
    const double width = outline ? inputs.shape.width() : inputs.width;
    if (cellGrid(length, width).cells() == 0 || inputs.placements.empty())
        return false;
    if (!(finite(inputs.splTotal) && finite(inputs.tiltDeg) && finite(inputs.dropH) && inputs.dropH >= 0.0))
        return false;
    if (!validDirectivity(inputs.dirDeg) || (horn && !validDirectivity(inputs.vDirDeg)))
        return false;
    return std::all_of(inputs.placements.begin(), inputs.placements.end(), [](const Placement &placement) {
        return finite(placement.position.x()) && finite(placement.position.y());
    });
}

struct DirectivityLaw::Law {
    explicit Law(const LevelInputs &inputs)
        : beam(inputs),
          h2(inputs.dropH * inputs.dropH),
          frames{frameFor(Side::Ceiling, inputs.tiltDeg), frameFor(Side::NearWall, inputs.tiltDeg),
                 frameFor(Side::FarWall, inputs.tiltDeg)},
          // Filled whole: a law is read by many threads at once.
          powers(beam.alongPower(), beam.leastCos2(), 1.0, PowerTable::Filling::Shared),
          verticalPowers(beam.verticalPower(), beam.leastVerticalCos2(), 1.0, PowerTable::Filling::Shared)
    { }
    Beam beam;
    double h2;
    std::array<Frame, 3> frames;
    // The powers of the squared cosines above the floor of the law.
    PowerTable powers;
    PowerTable verticalPowers;
};

DirectivityLaw::DirectivityLaw(const LevelInputs &inputs) : m_law(std::make_unique<Law>(inputs))
{ }
DirectivityLaw::~DirectivityLaw() = default;
DirectivityLaw::DirectivityLaw(DirectivityLaw &&) noexcept = default;
DirectivityLaw &DirectivityLaw::operator=(DirectivityLaw &&) noexcept = default;

double DirectivityLaw::factor(const Placement &placement, QPointF point) const
{
    const QPointF d = offsetOf(placement, point);
    const double q = d.x() * d.x() + d.y() * d.y() + m_law->h2;
    return m_law->beam.directivityGain(d.x(), d.y(), q, m_law->frames[int(frameSide(placement))],
                                       {&m_law->powers, &m_law->verticalPowers});
}

double directivityAt(const LevelInputs &inputs, const Placement &placement, QPointF point)
{
    return 10.0 * std::log10(DirectivityLaw(inputs).factor(placement, point));
}

double levelAt(const LevelInputs &inputs, QPointF point)
{
    if (!hasLevelMap(inputs))
        return std::numeric_limits<double>::quiet_NaN();
    const Beam beam(inputs);
    const std::array<Frame, 3> frames
        = {frameFor(Side::Ceiling, inputs.tiltDeg), frameFor(Side::NearWall, inputs.tiltDeg),
           frameFor(Side::FarWall, inputs.tiltDeg)};
    double sum = 0.0;
    for (const Placement &placement : inputs.placements) {
        const QPointF d = offsetOf(placement, point);
        sum += beam.gain(d.x(), d.y(), frames[int(frameSide(placement))]);
    }
    return inputs.splTotal + 10.0 * std::log10(sum);
}

namespace {

// The map of inputs in the frame of their cells; inside, where not empty,
// marks the cells of the floor (the others get no level, NaN).
std::optional<LevelMap> computeMap(const LevelInputs &inputs, const std::vector<quint8> &inside,
                                   const std::atomic<bool> *cancel, int threads)
{
    LevelMap map;
    map.grid = cellGrid(inputs.length, inputs.width);
    const CellGrid &grid = map.grid;
    map.levels.assign(std::size_t(grid.cells()), 0.0);
    map.inside = inside;
    const MapComputation computation(inputs, grid);
    // A plan that is its own mirror image: the blocks of the first half of
    // the columns (the middle one with them), or of the rows, are
    // computed, and each cell of the other half takes its image's level,
    // so that the two halves agree to the last bit (the loudspeakers a
    // block leaves out differ from those its image's block leaves out).
    const Mirrors mirrors = planMirrors(grid, inputs.placements, inside);
    const int computedColumns = mirrors.acrossLength ? (grid.columns + 1) / 2 : grid.columns;
    const int computedRows = mirrors.acrossWidth ? (grid.rows + 1) / 2 : grid.rows;
    // Whether a block holds a cell of the floor.
    const auto onFloor = [&](const Block &block) {
        if (inside.empty())
            return true;
        for (int row = 0; row < block.rows; ++row) {
            const quint8 *line = inside.data() + std::size_t(block.firstRow + row) * grid.columns;
            for (int column = 0; column < block.columns; ++column) {
                if (line[block.firstColumn + column])
                    return true;
            }
        }
        return false;
    };
    std::atomic<qint64> computedCells{0};

    const int blockRows = (computedRows + BlockCells - 1) / BlockCells;
    std::atomic<int> nextBlockRow{0};
    std::atomic<bool> failed{false};
    std::atomic<qint64> terms{0};
    auto stopped = [&] { return failed.load(std::memory_order_relaxed) || (cancel && cancel->load()); };

    auto work = [&] {
        std::vector<Candidate> heap;
        std::vector<double> sums;
        std::vector<BlockBox> boxes;
        qint64 taken = 0;
        qint64 computed = 0;
        for (int blockRow = nextBlockRow++; blockRow < blockRows && !stopped(); blockRow = nextBlockRow++) {
            Block block{};
            block.firstRow = blockRow * BlockCells;
            block.rows = std::min(BlockCells, grid.rows - block.firstRow);
            block.y0 = computation.centreY(block.firstRow);
            block.y1 = computation.centreY(block.firstRow + block.rows - 1);
            for (int first = 0; first < computedColumns && !stopped(); first += BlockCells) {
                block.firstColumn = first;
                block.columns = std::min(BlockCells, grid.columns - first);
                block.x0 = computation.centreX(first);
                block.x1 = computation.centreX(first + block.columns - 1);
                if (!inside.empty() && !onFloor(block)) {
                    for (int row = 0; row < block.rows; ++row)
                        std::fill_n(map.levels.data() + std::size_t(block.firstRow + row) * grid.columns
                                        + first,
                                    block.columns, std::numeric_limits<double>::quiet_NaN());
                    continue;
                }
                computed += block.columns * block.rows;
                taken += qint64(computation.sumBlock(block, heap, sums, boxes)) * block.columns * block.rows;
                for (int row = 0; row < block.rows; ++row) {
                    const std::size_t start = std::size_t(block.firstRow + row) * grid.columns + first;
                    double *out = map.levels.data() + start;
                    for (int column = 0; column < block.columns; ++column) {
                        const double level = inputs.splTotal
                            + TenOverLn10 * std::log(sums[std::size_t(row * block.columns + column)]);
                        if (!std::isfinite(level))
                            failed = true;
                        out[column] = level;
                    }
                    if (!inside.empty()) {
                        for (int column = 0; column < block.columns; ++column) {
                            if (!inside[start + std::size_t(column)])
                                out[column] = std::numeric_limits<double>::quiet_NaN();
                        }
                    }
                }
            }
            for (int row = block.firstRow; mirrors.acrossLength && row < block.firstRow + block.rows; ++row) {
                double *line = map.levels.data() + std::size_t(row) * grid.columns;
                for (int column = computedColumns; column < grid.columns; ++column)
                    line[column] = line[grid.columns - 1 - column];
            }
        }
        terms += taken;
        computedCells += computed;
    };

    // The calling thread takes its share too; a thread the system cannot
    // start leaves its share to the others.
    const int count = std::clamp(threadCount(threads), 1, std::max(1, blockRows));
    inParallel(std::size_t(count), count, [&](std::size_t) { work(); });
    if (stopped())
        return std::nullopt;
    for (int row = computedRows; row < grid.rows; ++row) {
        const auto image = map.levels.begin() + std::ptrdiff_t(grid.rows - 1 - row) * grid.columns;
        std::copy(image, image + grid.columns, map.levels.begin() + std::ptrdiff_t(row) * grid.columns);
    }
    map.termsPerCell = double(terms.load()) / double(std::max<qint64>(1, computedCells.load()));
    return map;
}

bool shaped(const LevelInputs &inputs)
{
    return !inputs.shape.isEmpty() && !inputs.shape.isPlainRectangle();
}

} // namespace

std::optional<LevelMap> levelMap(const LevelInputs &inputs, const std::atomic<bool> *cancel, int threads)
{
    if (!hasLevelMap(inputs))
        return std::nullopt;
    if (!shaped(inputs))
        return computeMap(inputs, {}, cancel, threads);
    // A room of any shape: the cells of its axes' rectangle in its own
    // frame, the loudspeakers moved into it.
    const calc::Axes &axes = inputs.shape.axes();
    LevelInputs local = inputs;
    local.shape = calc::Shape();
    local.length = inputs.shape.length();
    local.width = inputs.shape.width();
    for (Placement &placement : local.placements)
        placement = placementToLocal(placement, axes);
    const calc::Shape localShape = inputs.shape.inLocalFrame();
    std::optional<LevelMap> map
        = computeMap(local, insideCells(cellGrid(local.length, local.width), localShape), cancel, threads);
    if (map) {
        map->shaped = true;
        map->axes = axes;
    }
    return map;
}

struct MapBlocks::Computation {
    LevelInputs local; // the inputs in the frame of the cells
    bool shaped = false;
    calc::Axes axes;
    CellGrid grid;
    std::vector<quint8> inside; // empty for a rectangle
    MapComputation computation;
    mutable std::vector<Candidate> heap;
    mutable std::vector<double> sums;
    mutable std::vector<BlockBox> boxes;

    static LevelInputs localInputs(const LevelInputs &inputs)
    {
        if (!plan::shaped(inputs))
            return inputs;
        LevelInputs local = inputs;
        local.shape = calc::Shape();
        local.length = inputs.shape.length();
        local.width = inputs.shape.width();
        for (Placement &placement : local.placements)
            placement = placementToLocal(placement, inputs.shape.axes());
        return local;
    }

    explicit Computation(const LevelInputs &inputs)
        : local(localInputs(inputs)),
          shaped(plan::shaped(inputs)),
          axes(shaped ? inputs.shape.axes() : calc::Axes()),
          grid(cellGrid(local.length, local.width)),
          inside(shaped ? insideCells(grid, inputs.shape.inLocalFrame()) : std::vector<quint8>()),
          computation(local, grid, true)
    { }
};

MapBlocks::MapBlocks(const LevelInputs &inputs) : m_computation(std::make_unique<Computation>(inputs))
{ }

MapBlocks::~MapBlocks() = default;

void MapBlocks::setPlacements(const std::vector<Placement> &placements, const std::atomic<bool> *cancel)
{
    Computation &c = *m_computation;
    if (!c.shaped) {
        c.computation.setPlacements(placements, cancel);
        return;
    }
    std::vector<Placement> local = placements;
    for (Placement &placement : local)
        placement = placementToLocal(placement, c.axes);
    c.computation.setPlacements(local, cancel);
}

const CellGrid &MapBlocks::grid() const
{
    return m_computation->grid;
}

const std::vector<quint8> &MapBlocks::inside() const
{
    return m_computation->inside;
}

int MapBlocks::levels(int firstColumn, int firstRow, double *out) const
{
    const Computation &c = *m_computation;
    Block block{};
    block.firstColumn = firstColumn;
    block.columns = std::min(BlockCells, c.grid.columns - firstColumn);
    block.firstRow = firstRow;
    block.rows = std::min(BlockCells, c.grid.rows - firstRow);
    block.x0 = c.computation.centreX(firstColumn);
    block.x1 = c.computation.centreX(firstColumn + block.columns - 1);
    block.y0 = c.computation.centreY(firstRow);
    block.y1 = c.computation.centreY(firstRow + block.rows - 1);
    const int taken = c.computation.sumBlock(block, c.heap, c.sums, c.boxes);
    const int cells = block.columns * block.rows;
    for (int i = 0; i < cells; ++i)
        out[i] = c.local.splTotal + TenOverLn10 * std::log(c.sums[std::size_t(i)]);
    return taken;
}

LevelSummary summarize(const LevelMap &map, double requiredLevel)
{
    LevelSummary summary;
    if (map.levels.empty())
        return summary;
    if (!map.inside.empty()) {
        // Only the cells of the floor count.
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -lowest;
        qint64 cells = 0;
        qint64 loudEnough = 0;
        qint64 tooLoud = 0;
        for (std::size_t i = 0; i < map.levels.size(); ++i) {
            if (!map.inside[i])
                continue;
            const double level = map.levels[i];
            lowest = std::min(lowest, level);
            highest = std::max(highest, level);
            ++cells;
            loudEnough += level >= requiredLevel ? 1 : 0;
            tooLoud += level > LoudestAllowed ? 1 : 0;
        }
        if (cells == 0)
            return summary;
        summary.lowest = lowest;
        summary.highest = highest;
        summary.spread = highest - lowest;
        summary.requiredShare = 100.0 * double(loudEnough) / double(cells);
        summary.tooLoudShare = 100.0 * double(tooLoud) / double(cells);
        return summary;
    }
    const auto [lowest, highest] = std::minmax_element(map.levels.begin(), map.levels.end());
    summary.lowest = *lowest;
    summary.highest = *highest;
    summary.spread = *highest - *lowest;
    qint64 loudEnough = 0;
    qint64 tooLoud = 0;
    for (const double level : map.levels) {
        loudEnough += level >= requiredLevel ? 1 : 0;
        tooLoud += level > LoudestAllowed ? 1 : 0;
    }
    const double cells = double(map.levels.size());
    summary.requiredShare = 100.0 * double(loudEnough) / cells;
    summary.tooLoudShare = 100.0 * double(tooLoud) / cells;
    return summary;
}

QString levelSummaryText(const LevelSummary &summary, double requiredLevel, QChar decimalPoint)
{
    return QStringLiteral("Уровень звука: от %1 до %2 дБ, разброс %3 дБ. Не ниже %4 дБ: %5 % площади. "
                          "Выше 120 дБ: %6 % площади.")
        .arg(calc::formatFixed(summary.lowest, 1, decimalPoint),
             calc::formatFixed(summary.highest, 1, decimalPoint),
             calc::formatFixed(summary.spread, 1, decimalPoint),
             calc::formatFixed(requiredLevel, 0, decimalPoint),
             calc::formatShare(summary.requiredShare, decimalPoint),
             calc::formatShare(summary.tooLoudShare, decimalPoint));
}

std::vector<QLineF> contourSegments(const LevelMap &map, double level)
{
    std::vector<QLineF> segments;
    const CellGrid &grid = map.grid;
    if (map.levels.empty() || !std::isfinite(level))
        return segments;
    // The corners of a square counterclockwise from its lower left, and its
    // sides: side i runs from corner i to corner (i + 1) mod 4.
    static constexpr int CornerColumn[4] = {0, 1, 1, 0};
    static constexpr int CornerRow[4] = {0, 0, 1, 1};
    // The sides each corner pattern joins (bit i: corner i at or above the
    // level); -1 ends the list. The two saddles are settled below.
    static constexpr int Sides[16][4] = {
        {-1, -1, -1, -1}, {3, 0, -1, -1}, {0, 1, -1, -1}, {3, 1, -1, -1},   {1, 2, -1, -1}, {3, 0, 1, 2},
        {0, 2, -1, -1},   {3, 2, -1, -1}, {2, 3, -1, -1}, {0, 2, -1, -1},   {0, 1, 2, 3},   {1, 2, -1, -1},
        {1, 3, -1, -1},   {0, 1, -1, -1}, {3, 0, -1, -1}, {-1, -1, -1, -1},
    };
    static constexpr int CutOffOdd[4] = {0, 1, 2, 3};  // corners 1 and 3 on their own
    static constexpr int CutOffEven[4] = {3, 0, 1, 2}; // corners 0 and 2 on their own
    for (int row = 0; row + 1 < grid.rows; ++row) {
        for (int column = 0; column + 1 < grid.columns; ++column) {
            double value[4];
            int pattern = 0;
            for (int corner = 0; corner < 4; ++corner) {
                value[corner] = map.at(column + CornerColumn[corner], row + CornerRow[corner]);
                pattern |= (value[corner] >= level ? 1 : 0) << corner;
            }
            if (pattern == 0 || pattern == 15)
                continue;
            // A square with a corner off the floor (no level) draws no line.
            if (std::isnan(value[0] + value[1] + value[2] + value[3]))
                continue;
            const int *sides = Sides[pattern];
            if (pattern == 5 || pattern == 10) {
                // Corners 0 and 2 face 1 and 3 across the square: the mean
                // of the four decides whether the pair at or above the
                // level joins through the middle, and the lines then cut
                // off the other pair.
                const bool middleAbove = (value[0] + value[1] + value[2] + value[3]) / 4.0 >= level;
                const bool cutOffOdd = (pattern == 5) == middleAbove;
                sides = cutOffOdd ? CutOffOdd : CutOffEven;
            }
            auto crossing = [&](int side) {
                const int a = side;
                const int b = (side + 1) % 4;
                const double t = (level - value[a]) / (value[b] - value[a]);
                const QPointF pa = map.cellCentre(column + CornerColumn[a], row + CornerRow[a]);
                const QPointF pb = map.cellCentre(column + CornerColumn[b], row + CornerRow[b]);
                return pa + t * (pb - pa);
            };
            for (int i = 0; i < 4 && sides[i] >= 0; i += 2) {
                if (map.shaped)
                    segments.emplace_back(map.axes.toFloor(crossing(sides[i])),
                                          map.axes.toFloor(crossing(sides[i + 1])));
                else
                    segments.emplace_back(crossing(sides[i]), crossing(sides[i + 1]));
            }
        }
    }
    return segments;
}

} // namespace plan
