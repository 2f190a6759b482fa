// Speed of the level map: for the 200 x 100 m hall with discs of 1 m laid
// out "с полным перекрытием" (20 000 ceiling loudspeakers) and for the
// 30 x 12 m room of the plan's examples (13 loudspeakers in rows), the time
// of the whole map on every core and on one (and the processor time it
// took, which other work on the machine does not inflate), and the largest
// difference of 1 000 random cells of each from their full sums; then the
// same for an L-shaped corridor with ceiling loudspeakers without gaps and
// a hall with a half-round end with wall loudspeakers on two walls.
// Usage: bench_levelmap [runs]
#include "benchshapes.h"
#include "plan/layout.h"
#include "plan/levelmap.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

plan::LevelInputs ceilingInputs(double length, double width, double dropH, double splTotal,
                                std::vector<plan::Placement> placements)
{
    plan::LevelInputs in;
    in.mounting = calc::Mounting::Ceiling;
    in.splTotal = splTotal;
    in.dirDeg = 90;
    in.dropH = dropH;
    in.length = length;
    in.width = width;
    in.placements = std::move(placements);
    return in;
}

// The processor time of the whole process, all threads, in milliseconds:
// what the map costs whatever else the machine runs.
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing {
    double wallMs = 0.0;      // median
    double processorMs = 0.0; // median, all threads together
};

// The median times of the map; the last map in map.
Timing timeMap(const plan::LevelInputs &inputs, int threads, int runs, std::optional<plan::LevelMap> &map)
{
    std::vector<double> wall;
    std::vector<double> processor;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        const double startProcessor = processorMs();
        timer.start();
        map = plan::levelMap(inputs, nullptr, threads);
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        processor.push_back(processorMs() - startProcessor);
        if (!map)
            std::exit(1);
    }
    return {median(wall), median(processor)};
}

// The largest difference of count random cells from their full sums.
double largestDifference(const plan::LevelInputs &inputs, const plan::LevelMap &map, int count)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> column(0, map.grid.columns - 1);
    std::uniform_int_distribution<int> row(0, map.grid.rows - 1);
    double largest = 0.0;
    for (int i = 0; i < count;) {
        const int c = column(random);
        const int r = row(random);
        // The cells of the floor only; a room of any shape has its cells in
        // its own axes.
        if (std::isnan(map.at(c, r)))
            continue;
        const QPointF centre = map.shaped ? map.axes.toFloor(map.cellCentre(c, r)) : map.cellCentre(c, r);
        largest = std::max(largest, std::abs(map.at(c, r) - plan::levelAt(inputs, centre)));
        ++i;
    }
    return largest;
}

void report(const char *name, const plan::LevelInputs &inputs, int runs, int checks)
{
    std::optional<plan::LevelMap> map;
    const Timing all = timeMap(inputs, 0, runs, map);
    const Timing one = timeMap(inputs, 1, runs, map);
    const plan::LevelSummary summary = plan::summarize(*map, 75);
    std::printf("%s: %zu loudspeakers, %d x %d cells, %.1f loudspeakers summed a cell, %d runs\n", name,
                inputs.placements.size(), map->grid.columns, map->grid.rows, map->termsPerCell, runs);
    std::printf("  map_ms=%.1f (%u threads, processor_ms=%.1f) map_one_thread_ms=%.1f (processor_ms=%.1f)\n",
                all.wallMs, std::max(1u, std::thread::hardware_concurrency()), all.processorMs, one.wallMs,
                one.processorMs);
    std::printf("  levels %.2f .. %.2f dB\n", summary.lowest, summary.highest);
    if (checks > 0)
        std::printf("  %d random cells against the full sum: largest difference %.5f dB (allowed %.2f)\n",
                    checks, largestDifference(inputs, *map, checks), plan::LevelMapTolerance);
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const plan::Layout hall = plan::layOut(plan::Arrangement::FullOverlap, 200, 100, 1, 0);
    report("hall 200 x 100 m, full overlap, 90 dB, 90 degrees, 1 m above the plane",
           ceilingInputs(200, 100, 1.0, 90, hall.placements), runs, 1000);

    const plan::Layout room = plan::layOut(plan::Arrangement::Rows, 30, 12, 3, 13);
    report("room 30 x 12 m, 13 in rows, 95 dB, 90 degrees, 3 m above the plane",
           ceilingInputs(30, 12, 3.0, 95, room.placements), runs, 1000);

    const calc::Shape corridor = benchshapes::corridor();
    plan::LevelInputs inCorridor
        = ceilingInputs(60, 30, 3.0, 95, plan::layOut(plan::Arrangement::NoGaps, corridor, 3, 0).placements);
    inCorridor.shape = corridor;
    report("L corridor 60 x 3 m with a 30 x 3 m leg, without gaps, 95 dB, 90 degrees, 3 m above the plane",
           inCorridor, runs, 1000);

    const calc::Shape hall2 = benchshapes::roundHall();
    plan::LevelInputs inHall
        = ceilingInputs(40, 20, 2.0, 95, plan::layOut(plan::Arrangement::TwoWalls, hall2, 0, 8).placements);
    inHall.mounting = calc::Mounting::Wall;
    inHall.dirDeg = 120;
    inHall.tiltDeg = 10;
    inHall.shape = hall2;
    report("hall 40 x 20 m with a half-round end, 8 on two walls, 95 dB, 120 degrees, 2 m above the plane",
           inHall, runs, 1000);
    return 0;
}
