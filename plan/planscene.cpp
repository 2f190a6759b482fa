#include "planscene.h"

#include "plantexts.h"

#include <cstring>

namespace plan {

QString PlanScene::summary() const
{
    if (!showsLevel())
        return summaryLine(loudspeakers(), figures.count, coverage.percent(), figures.decimalPoint);
    if (!level)
        return text::LevelComputing;
    if (!level->computed)
        return text::NoLevel;
    return levelSummaryText(level->summary, figures.requiredLevel, figures.decimalPoint);
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

namespace {

// The map's cells in their bands' colours, the top row the far wall.
QImage levelImage(const LevelMap &map, const LevelScale &scale)
{
    const CellGrid &grid = map.grid;
    QImage image(grid.columns, grid.rows, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    QList<QRgb> colours;
    for (const LegendStep &step : legendSteps(scale))
        colours << step.colour.rgb();
    image.setColorTable(colours);
    for (int row = 0; row < grid.rows; ++row) {
        uchar *line = image.scanLine(grid.rows - 1 - row);
        for (int column = 0; column < grid.columns; ++column)
            line[column] = uchar(bandOf(scale, map.at(column, row)));
    }
    return image;
}

} // namespace

LevelInputs levelInputs(const PlanFigures &figures, const std::vector<Placement> &placements)
{
    LevelInputs inputs;
    inputs.mounting = figures.mounting;
    inputs.splTotal = figures.splTotal;
    inputs.dirDeg = figures.dirDeg;
    inputs.vDirDeg = figures.vDirDeg;
    inputs.tiltDeg = figures.tiltDeg;
    inputs.dropH = figures.dropH;
    inputs.length = figures.roomL;
    inputs.width = figures.roomW;
    inputs.placements = placements;
    return inputs;
}

std::shared_ptr<const LevelPicture> levelPicture(const LevelInputs &inputs, double requiredLevel,
                                                 const std::atomic<bool> *cancel)
{
    if (cancel && cancel->load())
        return nullptr;
    auto picture = std::make_shared<LevelPicture>();
    std::optional<LevelMap> map = levelMap(inputs, cancel);
    if (cancel && cancel->load())
        return nullptr;
    if (!map)
        return picture;
    picture->computed = true;
    picture->map = std::move(*map);
    picture->summary = summarize(picture->map, requiredLevel);
    picture->scale = levelScale(picture->summary.lowest, picture->summary.highest);
    picture->image = levelImage(picture->map, picture->scale);
    picture->requiredContour = contourSegments(picture->map, requiredLevel);
    picture->loudContour = contourSegments(picture->map, LoudestAllowed);
    return picture;
}

void completeLevel(PlanScene &scene)
{
    if (scene.levelPending())
        scene.level
            = levelPicture(levelInputs(scene.figures, scene.layout.placements), scene.figures.requiredLevel);
}

} // namespace plan
