#include "planscene.h"

#include "plantexts.h"

#include <cstring>

namespace plan {

QString PlanScene::summary() const
{
    return summaryLine(loudspeakers(), figures.count, coverage.percent(), figures.decimalPoint);
}

QString PlanScene::limitNote() const
{
    if (!hasRoom())
        return text::NoRoom;
    if (layout.tooMany || layout.limited())
        return limitLine(arrangement, layout.needed.count, layout.needed.atLeast, loudspeakers(),
                         figures.decimalPoint);
    if (layout.placements.empty())
        return noZoneLine(arrangement);
    return QString();
}

PlanScene buildScene(const PlanFigures &figures, Arrangement arrangement, double count)
{
    PlanScene scene;
    scene.figures = figures;
    scene.arrangement = arrangement;
    scene.layout = layOut(arrangement, figures.roomL, figures.roomW, figures.radius, count);
    scene.zone = zoneForm(figures);
    scene.coverage = floorCoverage(figures.roomL, figures.roomW, scene.zone, scene.layout.placements);
    scene.floorImage = floorImage(scene.coverage);
    return scene;
}

QImage floorImage(const FloorCoverage &coverage)
{
    const CellGrid &grid = coverage.grid;
    if (grid.cells() == 0)
        return QImage();
    QImage image(grid.columns, grid.rows, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    image.setColorTable({UncoveredFloor.rgb(), CoveredFloor.rgb()});
    for (int row = 0; row < grid.rows; ++row) {
        const quint8 *cells = coverage.covered.data() + std::size_t(row) * grid.columns;
        std::memcpy(image.scanLine(grid.rows - 1 - row), cells, std::size_t(grid.columns));
    }
    return image;
}

} // namespace plan
