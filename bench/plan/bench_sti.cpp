// Speed of the STI map: the 12 x 8 x 3 m room of the worked example (six
// ceiling loudspeakers) and a 60 x 30 x 6 m hall with 100 ceiling
// loudspeakers in a grid of 10 x 10, on every core and on one, with the
// largest difference of every tenth block from the STI summed point by
// point.
// Usage: bench_sti [runs]
#include "plan/intelligibility.h"
#include "plan/layout.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

plan::StiInputs room(double length, double width, double height, double dropH, int across, int along)
{
    plan::StiInputs in;
    in.level.mounting = calc::Mounting::Ceiling;
    in.level.splTotal = 90.0;
    in.level.dirDeg = 90.0;
    in.level.dropH = dropH;
    in.level.length = length;
    in.level.width = width;
    for (int row = 0; row < across; ++row) {
        for (int column = 0; column < along; ++column)
            in.level.placements.push_back(
                plan::Placement{QPointF((column + 0.5) * length / along, (row + 0.5) * width / across),
                                plan::Side::Ceiling, QPointF()});
    }
    in.surfaces.ceiling = QStringLiteral("акустический потолок");
    in.height = height;
    in.noise = 60.0;
    return in;
}

double timeMap(const plan::StiInputs &inputs, int threads, int runs, std::optional<plan::StiMap> &map)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        map = plan::stiMap(inputs, nullptr, threads);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!map)
            std::exit(1);
    }
    return median(times);
}

void report(const char *name, const plan::StiInputs &inputs, int runs)
{
    std::optional<plan::StiMap> map;
    const double all = timeMap(inputs, 0, runs, map);
    const double one = timeMap(inputs, 1, runs, map);
    double largest = 0.0;
    int checked = 0;
    for (int row = 0; row < map->rows; ++row) {
        for (int column = row % 10; column < map->columns; column += 10) {
            largest = std::max(
                largest, std::abs(map->at(column, row) - plan::stiAt(inputs, map->centre(column, row))));
            ++checked;
        }
    }
    const plan::StiSummary summary = plan::summarize(*map);
    std::printf("%s: %zu loudspeakers, %d x %d blocks, %d runs\n", name, inputs.level.placements.size(),
                map->columns, map->rows, runs);
    std::printf("  map_ms=%.1f (%u threads) map_one_thread_ms=%.1f\n", all,
                std::max(1u, std::thread::hardware_concurrency()), one);
    std::printf("  STI %.3f .. %.3f, mean %.3f; %d blocks against the full sum: largest difference %.6f\n",
                summary.lowest, summary.highest, summary.mean, checked, largest);
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    plan::StiInputs example = room(12, 8, 3, 1.5, 2, 3);
    example.surfaces.floor = QStringLiteral("линолеум");
    example.surfaces.walls = QStringLiteral("штукатурка");
    report("worked example 12 x 8 x 3 m, 6 ceiling loudspeakers", example, runs);
    report("hall 60 x 30 x 6 m, 100 ceiling loudspeakers", room(60, 30, 6, 4.5, 10, 10), runs);
    return 0;
}
