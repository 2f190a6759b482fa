// Speed of the plan: for a 200 x 100 m hall with discs of 1 m laid out
// "с полным перекрытием" (20 000 loudspeakers), the time of the layout,
// of the floor coverage and of the drawing's first paint at a typical
// window size; and the time the plan window of a 6 x 6 m room takes to
// open (construct, show, first paint); then layout, coverage and first
// paint of an L-shaped corridor (ceiling, without gaps) and of a hall with
// a half-round end (wall loudspeakers on two walls) in their zones and
// level views. Prints the median of several runs.
// Usage: bench_plan [runs]   (QT_QPA_PLATFORM=offscreen for a headless run)
#include "benchshapes.h"
#include "plan/floorcoverage.h"
#include "plan/layout.h"
#include "plan/plandrawing.h"
#include "plan/planscene.h"
#include "plan/planwindow.h"
#include "tests/plan/planexamples.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

plan::PlanFigures hall()
{
    plan::PlanFigures f;
    f.mounting = calc::Mounting::Ceiling;
    f.roomL = 200;
    f.roomW = 100;
    f.roomArea = 20000;
    f.radius = 1;
    f.count = 6367;
    return f;
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Times the layout, coverage (with the level map in the level view) and
// first paint of one room of any shape.
void shapedRoom(const char *name, const plan::PlanFigures &figures, plan::Arrangement arrangement,
                plan::PlanView view, int runs, QSize drawingSize)
{
    std::vector<double> layoutMs, coverageMs, paintMs;
    qsizetype placed = 0;
    double percent = 0.0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const plan::Layout layout
            = plan::layOut(arrangement, figures.roomShape(), figures.radius, figures.count);
        layoutMs.push_back(elapsedMs(timer));

        timer.restart();
        auto scene = std::make_shared<plan::PlanScene>();
        scene->figures = figures;
        scene->arrangement = arrangement;
        scene->layout = layout;
        scene->zone = plan::zoneForm(figures);
        scene->coverage = plan::floorCoverage(figures.roomShape(), scene->zone, layout.placements);
        scene->floorImage = plan::floorImage(scene->coverage);
        scene->view = view;
        plan::completeLevel(*scene);
        coverageMs.push_back(elapsedMs(timer));

        timer.restart();
        plan::PlanDrawing drawing;
        drawing.resize(drawingSize);
        drawing.setScene(scene);
        const QPixmap first = drawing.grab();
        paintMs.push_back(elapsedMs(timer));
        placed = scene->loudspeakers();
        percent = scene->coverage.percent();
        if (first.isNull())
            std::exit(1);
    }
    std::printf("%s: %lld loudspeakers, %.1f %% covered, %d runs\n", name, static_cast<long long>(placed),
                percent, runs);
    std::printf("  layout_ms=%.2f coverage_ms=%.2f%s first_paint_ms=%.2f\n", median(layoutMs),
                median(coverageMs), view == plan::PlanView::Level ? " (with the level map)" : "",
                median(paintMs));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const plan::PlanFigures figures = hall();
    const QSize drawingSize(760, 640); // the drawing in a 1100 x 680 window

    std::vector<double> layoutMs, coverageMs, paintMs, totalMs;
    qsizetype placed = 0;
    double percent = 0.0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const plan::Layout layout = plan::layOut(plan::Arrangement::FullOverlap, figures.roomL, figures.roomW,
                                                 figures.radius, int(figures.count));
        layoutMs.push_back(elapsedMs(timer));

        timer.restart();
        auto scene = std::make_shared<plan::PlanScene>();
        scene->figures = figures;
        scene->arrangement = plan::Arrangement::FullOverlap;
        scene->layout = layout;
        scene->zone = plan::zoneForm(figures);
        scene->coverage = plan::floorCoverage(figures.roomL, figures.roomW, scene->zone, layout.placements);
        scene->floorImage = plan::floorImage(scene->coverage);
        coverageMs.push_back(elapsedMs(timer));

        timer.restart();
        plan::PlanDrawing drawing;
        drawing.resize(drawingSize);
        drawing.setScene(scene);
        const QPixmap first = drawing.grab();
        paintMs.push_back(elapsedMs(timer));
        totalMs.push_back(layoutMs.back() + coverageMs.back() + paintMs.back());
        placed = scene->loudspeakers();
        percent = scene->coverage.percent();
        if (first.isNull())
            return 1;
    }
    std::printf("hall 200 x 100 m, radius 1 m, full overlap: %lld loudspeakers, %.1f %% covered, %d runs\n",
                static_cast<long long>(placed), percent, runs);
    std::printf("  layout_ms=%.2f coverage_ms=%.2f first_paint_ms=%.2f (drawing %dx%d) total_ms=%.2f\n",
                median(layoutMs), median(coverageMs), median(paintMs), drawingSize.width(),
                drawingSize.height(), median(totalMs));

    std::vector<double> openMs;
    for (int run = 0; run < runs + 1; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<plan::PlanWindow>(nullptr);
        window->showCalculation(planexamples::ceiling6x6(u'.'));
        PaintWatch watch;
        window->drawing()->installEventFilter(&watch);
        window->show();
        QElapsedTimer limit;
        limit.start();
        while (!watch.painted && limit.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!watch.painted)
            return 1;
        openMs.push_back(elapsedMs(timer));
    }
    const double firstOpen = openMs.front();
    openMs.erase(openMs.begin());
    std::printf("plan window, 6 x 6 m ceiling example: first_open_ms=%.2f (fonts and styles loaded) "
                "open_ms=%.2f (median of %d further)\n",
                firstOpen, median(openMs), runs);

    plan::PlanFigures corridor = planexamples::ceiling(60, 30, 3, 12, 29, u'.');
    corridor.shape = benchshapes::corridor();
    corridor.dropH = 3;
    corridor.dirDeg = 90;
    corridor.roomArea = corridor.shape.area();
    shapedRoom("L corridor 60 x 3 m with a 30 x 3 m leg, radius 3 m, without gaps, zones", corridor,
               plan::Arrangement::NoGaps, plan::PlanView::Zones, runs, drawingSize);
    shapedRoom("L corridor, level view", corridor, plan::Arrangement::NoGaps, plan::PlanView::Level, runs,
               drawingSize);

    plan::PlanFigures hall2;
    hall2.mounting = calc::Mounting::Wall;
    hall2.shape = benchshapes::roundHall();
    hall2.roomL = 40;
    hall2.roomW = 20;
    hall2.roomArea = hall2.shape.area();
    hall2.splTotal = 95;
    hall2.range = 12;
    hall2.dirDeg = 120;
    hall2.dirRad = 2.094;
    hall2.tiltDeg = 10;
    hall2.dropH = 2;
    hall2.count = 8;
    shapedRoom("hall 40 x 20 m with a half-round end, 8 on two walls, zones", hall2,
               plan::Arrangement::TwoWalls, plan::PlanView::Zones, runs, drawingSize);
    shapedRoom("hall with a half-round end, level view", hall2, plan::Arrangement::TwoWalls,
               plan::PlanView::Level, runs, drawingSize);
    return 0;
}
