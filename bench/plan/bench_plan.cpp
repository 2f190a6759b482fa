// Speed of the plan: for a 200 x 100 m hall with discs of 1 m laid out
// "с полным перекрытием" (20 000 loudspeakers), the time of the layout,
// of the floor coverage and of the drawing's first paint at a typical
// window size; and the time the plan window of a 6 x 6 m room takes to
// open (construct, show, first paint). Prints the median of several runs.
// Usage: bench_plan [runs]   (QT_QPA_PLATFORM=offscreen for a headless run)
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
    return 0;
}
