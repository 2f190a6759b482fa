#include "planscene.h"

#include "plantexts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plan {

QString PlanScene::summary() const
{
    if (showsSti()) {
        if (!sti)
            return text::StiComputing;
        if (!sti->computed)
            return text::NoSti;
        return stiSummaryText(sti->summary, figures.decimalPoint);
    }
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
    if (layout.placements.empty()) {
        if (isGrid(arrangement) && coverage.shaped && std::isfinite(figures.radius) && figures.radius > 0.0)
            return noGridPointLine(arrangement);
        return noZoneLine(arrangement);
    }
    return QString();
}

PlanScene buildScene(const PlanFigures &figures, Arrangement arrangement, double count)
{
    PlanScene scene;
    scene.figures = figures;
    scene.arrangement = arrangement;
    const calc::Shape shape = figures.roomShape();
    scene.layout = layOut(arrangement, shape, figures.radius, count);
    scene.zone = zoneForm(figures);
    scene.coverage = floorCoverage(shape, scene.zone, scene.layout.placements);
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
    if (coverage.shaped)
        image.setColorTable({UncoveredFloor.rgb(), CoveredFloor.rgb(), qRgba(0, 0, 0, 0)});
    else
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
    // Cells off the floor of a room of any shape: see-through.
    const uchar offFloor = uchar(colours.size());
    if (map.shaped)
        colours << qRgba(0, 0, 0, 0);
    image.setColorTable(colours);
    for (int row = 0; row < grid.rows; ++row) {
        uchar *line = image.scanLine(grid.rows - 1 - row);
        for (int column = 0; column < grid.columns; ++column) {
            const double level = map.at(column, row);
            line[column] = map.shaped && std::isnan(level) ? offFloor : uchar(bandOf(scale, level));
        }
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
    if (const calc::Shape shape = figures.roomShape(); !shape.isPlainRectangle())
        inputs.shape = shape;
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

StiInputs stiInputs(const PlanFigures &figures, const std::vector<Placement> &placements,
                    const Surfaces &surfaces)
{
    StiInputs inputs;
    inputs.level = levelInputs(figures, placements);
    inputs.surfaces = surfaces;
    inputs.height = figures.roomHeight;
    inputs.noise = figures.noise;
    return inputs;
}

QColor stiColour(double from)
{
    // The hue by the band's middle: red (0) at 0.05 and below through
    // orange and yellow to green (130) at 0.85 and above; neighbouring
    // bands a little lighter and darker by turns, so that they stay apart
    // where their hues are near.
    const double middle = from + StiBandWidth / 2.0;
    const double share = std::clamp((middle - 0.05) / (0.85 - 0.05), 0.0, 1.0);
    const bool odd = qRound(from / StiBandWidth) % 2 != 0;
    return QColor::fromHsvF(float(share * 130.0 / 360.0), 0.6f, odd ? 0.88f : 0.97f);
}

namespace {

// Bands of StiBandWidth from the one holding lowest to the one holding
// highest, none above 1.
LevelScale stiScale(double lowest, double highest)
{
    LevelScale scale;
    scale.step = StiBandWidth;
    const double slack = 1e-9;
    scale.first = std::floor(lowest / StiBandWidth + slack) * StiBandWidth;
    const double top = std::min(highest, 1.0 - StiBandWidth);
    scale.bands = std::max(1, int(std::floor((top - scale.first) / StiBandWidth + slack)) + 1);
    return scale;
}

// The cells of the coverage grid in the colour of their block's band, the
// top row the far wall.
QImage stiImage(const StiMap &map, const LevelScale &scale)
{
    const CellGrid &grid = map.cells;
    QImage image(grid.columns, grid.rows, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    QList<QRgb> colours;
    for (int band = 0; band < scale.bands; ++band)
        colours << stiColour(scale.bandFrom(band)).rgb();
    const uchar offFloor = uchar(colours.size());
    colours << qRgba(0, 0, 0, 0);
    image.setColorTable(colours);
    for (int row = 0; row < grid.rows; ++row) {
        uchar *line = image.scanLine(grid.rows - 1 - row);
        const int blockRow = row / StiBlockCells;
        for (int column = 0; column < map.columns; ++column) {
            const double value = map.at(column, blockRow);
            const uchar index = std::isnan(value) ? offFloor : uchar(bandOf(scale, value));
            const int first = column * StiBlockCells;
            std::memset(line + first, index, std::size_t(std::min(StiBlockCells, grid.columns - first)));
        }
    }
    return image;
}

} // namespace

std::shared_ptr<const StiPicture> stiPicture(const StiInputs &inputs, const std::atomic<bool> *cancel)
{
    if (cancel && cancel->load())
        return nullptr;
    auto picture = std::make_shared<StiPicture>();
    std::optional<StiMap> map = stiMap(inputs, cancel);
    if (cancel && cancel->load())
        return nullptr;
    if (!map)
        return picture;
    // A floor so small or thin that no block's centre lies on it has no
    // figure to show.
    if (std::none_of(map->values.begin(), map->values.end(), [](double value) { return !std::isnan(value); }))
        return picture;
    picture->map = std::move(*map);
    picture->summary = summarize(picture->map);
    picture->computed = true;
    picture->scale = stiScale(picture->summary.lowest, picture->summary.highest);
    picture->image = stiImage(picture->map, picture->scale);
    picture->contour = stiContourSegments(picture->map, StiContour);
    return picture;
}

void completeLevel(PlanScene &scene)
{
    if (!scene.levelPending())
        return;
    if (scene.showsSti())
        scene.sti = stiPicture(stiInputs(scene.figures, scene.layout.placements, scene.surfaces));
    else
        scene.level
            = levelPicture(levelInputs(scene.figures, scene.layout.placements), scene.figures.requiredLevel);
}

} // namespace plan
