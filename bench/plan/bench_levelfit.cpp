// Speed of the fit of the loudspeaker count to the level map.
//
// 1. The 200 x 100 m hall (each mounting's typical loudspeaker: ceiling
//    ones in rows, the others on two walls, 3 m above the plane, 80 dB
//    required on 95 % of the floor): the time of the fit, the count, the
//    counts it settled and the maps' figures it computed; against it,
//    what a search count by count with full maps would take (the time of
//    one map at the fitted count, times the count: a lower bound, since
//    smaller counts map quicker only a little).
// 2. 2000 generated rooms (3 .. 40 m, every mounting type and arrangement
//    that takes a count, rectangles and L-shaped floors): the time of the
//    level figures (levelSummary) of each room's plan on one thread, and
//    of the rooms table's (all but the highest) on every core; the
//    largest difference of the former from the full maps' (levelMap and
//    summarize); then the time of their fits (up to 100 counts, one
//    thread a room), with the counts settled and the maps' figures
//    computed; and the time of the fits on every core, a room at a time on
//    each, as the rooms table computes them.
// Usage: bench_levelfit [rooms [hall length, m [parts]]], parts: 1 the
// comparison with the full maps, 2 the fits, 3 both.
#include "plan/layout.h"
#include "plan/levelfit.h"
#include "plan/levelmap.h"

#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace {

// The processor time of the whole process, all threads, in milliseconds:
// what the work costs whatever else the machine runs.
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

plan::LevelInputs roomInputs(calc::Mounting mounting, double length, double width, double dropH,
                             double splTotal, double dirDeg, double vDirDeg, double tiltDeg)
{
    plan::LevelInputs in;
    in.mounting = mounting;
    in.length = length;
    in.width = width;
    in.dropH = dropH;
    in.splTotal = splTotal;
    in.dirDeg = dirDeg;
    in.vDirDeg = vDirDeg;
    in.tiltDeg = tiltDeg;
    return in;
}

const char *outcomeName(plan::FitOutcome outcome)
{
    switch (outcome) {
    case plan::FitOutcome::Fitted: return "fitted";
    case plan::FitOutcome::ShareNotReached: return "share not reached";
    case plan::FitOutcome::TooLoud: return "too loud";
    case plan::FitOutcome::NoMap: return "no map";
    case plan::FitOutcome::Cancelled: return "cancelled";
    }
    return "";
}

struct HallLoudspeaker {
    const char *name;
    calc::Mounting mounting;
    plan::Arrangement arrangement;
    double splTotal, dirDeg, vDirDeg, tiltDeg;
};

// Each mounting's typical loudspeaker, 3 m above the plane, 80 dB required
// on 95 % of the floor.
void hall(double length)
{
    const HallLoudspeaker loudspeakers[] = {
        {"ceiling, rows, 95 dB, 90 degrees", calc::Mounting::Ceiling, plan::Arrangement::Rows, 95, 90, 90, 0},
        {"wall, two walls, 95 dB, 100 degrees, 15 degrees down", calc::Mounting::Wall,
         plan::Arrangement::TwoWalls, 95, 100, 100, 15},
        {"round horn, two walls, 110 dB, 60 degrees, 10 degrees down", calc::Mounting::RoundHorn,
         plan::Arrangement::TwoWalls, 110, 60, 60, 10},
        {"square horn, two walls, 110 dB, 90 x 40 degrees, 10 degrees down", calc::Mounting::SquareHorn,
         plan::Arrangement::TwoWalls, 110, 90, 40, 10},
    };
    const plan::FitRule rule{80, 95};
    std::printf("hall %.0f x %.0f m, 3 m above, 80 dB on 95 %%:\n", length, length / 2);
    for (const HallLoudspeaker &l : loudspeakers) {
        const plan::LevelInputs in
            = roomInputs(l.mounting, length, length / 2, 3, l.splTotal, l.dirDeg, l.vDirDeg, l.tiltDeg);
        QElapsedTimer timer;
        timer.start();
        const double startProcessor = processorMs();
        const plan::CountFit fit = plan::fitCount(in, l.arrangement, 0, rule);
        const double fitMs = double(timer.nsecsElapsed()) / 1e6;
        std::printf("  %s: fit_ms=%.0f (processor_ms=%.0f) outcome=%s count=%d share=%.2f %% "
                    "counts_settled=%d full_maps=%d\n",
                    l.name, fitMs, processorMs() - startProcessor, outcomeName(fit.outcome), fit.count,
                    fit.share, fit.countsChecked, fit.fullMaps);
        if (fit.outcome != plan::FitOutcome::Fitted)
            continue;
        plan::LevelInputs at = in;
        at.placements = plan::layOut(l.arrangement, length, length / 2, 0, fit.count).placements;
        timer.restart();
        const std::optional<plan::LevelMap> map = plan::levelMap(at);
        const double mapMs = double(timer.nsecsElapsed()) / 1e6;
        std::printf(
            "    one full map at the count: %.0f ms; count by count with full maps: at least %.0f s\n", mapMs,
            mapMs * fit.count / 1e3);
    }
}

struct GeneratedRoom {
    plan::LevelInputs inputs;
    plan::Arrangement arrangement;
    double required;
    int count;
};

std::vector<GeneratedRoom> generatedRooms(int count)
{
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * uniform(random); };
    const calc::Mounting mountings[] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                        calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    std::vector<GeneratedRoom> rooms;
    for (int i = 0; i < count; ++i) {
        const calc::Mounting mounting = mountings[i % 4];
        const std::vector<plan::Arrangement> offered = plan::arrangementsFor(mounting);
        plan::Arrangement arrangement = offered[std::size_t(i / 4) % offered.size()];
        if (plan::isGrid(arrangement))
            arrangement = plan::Arrangement::Rows;
        const double length = between(3, 40);
        const double width = between(3, length);
        GeneratedRoom room{roomInputs(mounting, length, width, between(1.5, 4), between(88, 100),
                                      between(60, 150), between(40, 100), between(0, 30)),
                           arrangement, 0.0, int(between(1, 20))};
        if (i % 3 == 2)
            room.inputs.shape = calc::Shape::fromOutline({{0, 0},
                                                          {length, 0},
                                                          {length, width / 2},
                                                          {length / 3, width / 2},
                                                          {length / 3, width},
                                                          {0, width}});
        room.required
            = std::round(room.inputs.splTotal - 20 * std::log10(room.inputs.dropH) - between(2, 10));
        rooms.push_back(std::move(room));
    }
    return rooms;
}

void compareWithMaps(const std::vector<GeneratedRoom> &list,
                     const std::vector<std::optional<plan::LevelSummary>> &fast)
{
    QElapsedTimer timer;
    timer.start();
    double lowestDb = 0.0;
    double highestDb = 0.0;
    double sharePercent = 0.0;
    double loudPercent = 0.0;
    int missing = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::optional<plan::LevelMap> map = plan::levelMap(list[i].inputs);
        if (!map || !fast[i]) {
            missing += (map.has_value() != fast[i].has_value()) ? 1 : 0;
            continue;
        }
        const plan::LevelSummary full = plan::summarize(*map, list[i].required);
        lowestDb = std::max(lowestDb, std::abs(full.lowest - fast[i]->lowest));
        highestDb = std::max(highestDb, std::abs(full.highest - fast[i]->highest));
        sharePercent = std::max(sharePercent, std::abs(full.requiredShare - fast[i]->requiredShare));
        loudPercent = std::max(loudPercent, std::abs(full.tooLoudShare - fast[i]->tooLoudShare));
    }
    std::printf("  full maps %.0f ms (every core); largest difference of the figures from the full maps: "
                "lowest %.4f dB, highest %.4f dB, share %.4f %%, above 120 dB %.4f %%; rooms with a map on "
                "one side only: %d\n",
                double(timer.nsecsElapsed()) / 1e6, lowestDb, highestDb, sharePercent, loudPercent, missing);
}

// The fits of the generated rooms go up to the least limit the rooms
// table gives a room (its calculated count four times over, at least 100
// counts), on one thread each as there; without a limit, a room whose share
// never reaches the target would try every count up to MaxLoudspeakers.
constexpr int RoomsTableLimit = 100;

void rooms(int count, bool compare, bool fits)
{
    std::vector<GeneratedRoom> list = generatedRooms(count);
    for (GeneratedRoom &room : list) {
        const calc::Shape shape = room.inputs.shape.isEmpty()
            ? calc::Shape::rectangle(room.inputs.length, room.inputs.width)
            : room.inputs.shape;
        room.inputs.placements = plan::layOut(room.arrangement, shape, 0, room.count).placements;
    }
    // The level figures the rooms table shows, without the whole map.
    QElapsedTimer timer;
    timer.start();
    double startProcessor = processorMs();
    double shares = 0.0;
    std::vector<std::optional<plan::LevelSummary>> fast(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        fast[i] = plan::levelSummary(list[i].inputs, list[i].required);
        if (fast[i])
            shares += fast[i]->requiredShare;
    }
    const double figuresMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%d rooms 3 .. 40 m, every mounting: level figures %.0f ms, one thread (processor_ms=%.0f, "
                "mean share %.1f %%)\n",
                count, figuresMs, processorMs() - startProcessor, shares / std::max(1, count));

    // The rooms table's figures (all but the highest) on every core, a
    // room at a time on each, as the table computes them in the background.
    timer.restart();
    std::atomic<std::size_t> next{0};
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned c = 0; c < cores; ++c)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < list.size(); i = next++)
                plan::levelSummary(list[i].inputs, list[i].required, nullptr,
                                   plan::SummaryFigures::WithoutHighest);
        });
    for (std::thread &worker : workers)
        worker.join();
    std::printf("  the rooms table's level figures (without the highest) on %u threads: %.0f ms\n", cores,
                double(timer.nsecsElapsed()) / 1e6);

    // The same figures from the full maps, and the largest differences.
    if (compare)
        compareWithMaps(list, fast);
    if (!fits)
        return;
    timer.restart();
    startProcessor = processorMs();
    int fitted = 0;
    int settled = 0;
    int maps = 0;
    int notReached = 0;
    int tooLoud = 0;
    qint64 countSum = 0;
    double slowest = 0.0;
    for (const GeneratedRoom &room : list) {
        QElapsedTimer one;
        one.start();
        const plan::CountFit fit = plan::fitCount(room.inputs, room.arrangement, 0, {room.required, 95},
                                                  RoomsTableLimit, nullptr, 1);
        slowest = std::max(slowest, double(one.nsecsElapsed()) / 1e6);
        settled += fit.countsChecked;
        maps += fit.fullMaps;
        fitted += fit.outcome == plan::FitOutcome::Fitted ? 1 : 0;
        notReached += fit.outcome == plan::FitOutcome::ShareNotReached ? 1 : 0;
        tooLoud += fit.outcome == plan::FitOutcome::TooLoud ? 1 : 0;
        countSum += fit.count;
    }
    const double fitsMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("  fits %.0f ms (processor_ms=%.0f, slowest room %.0f ms): %d fitted (mean count %.1f), %d "
                "share not reached, "
                "%d too loud; %d counts settled, %d maps' figures (%.2f a room)\n",
                fitsMs, processorMs() - startProcessor, slowest, fitted,
                double(countSum) / std::max(1, fitted), notReached, tooLoud, settled, maps,
                double(maps) / std::max(1, count));

    // The same fits on every core, a room at a time on each, as the rooms
    // table computes them in the background.
    timer.restart();
    std::atomic<std::size_t> nextFit{0};
    std::vector<std::thread> fitters;
    for (unsigned c = 0; c < cores; ++c)
        fitters.emplace_back([&] {
            for (std::size_t i = nextFit++; i < list.size(); i = nextFit++)
                plan::fitCount(list[i].inputs, list[i].arrangement, 0, {list[i].required, 95},
                               RoomsTableLimit, nullptr, 1);
        });
    for (std::thread &fitter : fitters)
        fitter.join();
    std::printf("  the fits on %u threads: %.0f ms\n", cores, double(timer.nsecsElapsed()) / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    const int count = argc > 1 ? std::max(0, std::atoi(argv[1])) : 2000;
    const double length = argc > 2 ? std::atof(argv[2]) : 200.0;
    hall(length);
    const int parts = argc > 3 ? std::atoi(argv[3]) : 3;
    if (count > 0)
        rooms(count, parts & 1, parts & 2);
    return 0;
}
