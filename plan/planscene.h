#pragma once

#include "floorcoverage.h"
#include "intelligibility.h"
#include "layout.h"
#include "levelmap.h"
#include "levelscale.h"
#include "planfigures.h"
#include "zones.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

// Everything one plan shows: the calculation's figures, the chosen
// arrangement laid out, the zones and the floor they cover, or the level of
// the sound on the floor.
namespace plan {

// The colours of the floor on every drawing.
inline const QColor CoveredFloor(214, 234, 248);
inline const QColor UncoveredFloor(244, 178, 160);

// What the drawing shows on the floor: the zones and the floor they cover,
// the level of the sound, or the speech intelligibility (STI).
enum class PlanView { Zones, Level, Sti };

// The level map as the drawings show it.
struct LevelPicture {
    // False where the plan describes no map (no loudspeaker, no directivity,
    // a level that is not a number): the summary then says "нет данных".
    bool computed = false;
    LevelMap map;
    LevelSummary summary;
    LevelScale scale;
    // One pixel per cell in its band's colour, the far wall (Y = width) on
    // the top row as the drawings show it.
    QImage image;
    // The contour lines of the required level and of LoudestAllowed, plan
    // metres.
    std::vector<QLineF> requiredContour;
    std::vector<QLineF> loudContour;
};

// The intelligibility map as the drawings show it.
struct StiPicture {
    // False where the plan describes no map (as for the level, or a room
    // without height or a reverberation time that is not a number above
    // 0): the summary then says "нет данных".
    bool computed = false;
    StiMap map;
    StiSummary summary;
    // Bands of StiBandWidth over the map's values.
    LevelScale scale;
    // One pixel per cell of the coverage grid in its block's band colour,
    // the far wall (Y = width) on the top row as the drawings show it.
    QImage image;
    // The contour of StiContour, plan metres.
    std::vector<QLineF> contour;
};

// The colour of an STI band, from..from + StiBandWidth: the same for a
// value in every room, red for the lowest through orange and yellow to
// green for the highest.
QColor stiColour(double from);

struct PlanScene {
    PlanFigures figures;
    Arrangement arrangement = Arrangement::Rows;
    Layout layout;
    ZoneForm zone;
    FloorCoverage coverage;
    // One pixel per coverage cell, the far wall (Y = width) on the top row
    // as the drawings show it: covered and uncovered floor in their colours.
    QImage floorImage;
    PlanView view = PlanView::Zones;
    // The level map of this layout; null until it is computed.
    std::shared_ptr<const LevelPicture> level;
    // The room's surfaces and the intelligibility map of this layout in
    // them; null until it is computed.
    Surfaces surfaces;
    std::shared_ptr<const StiPicture> sti;

    bool showsLevel() const { return view == PlanView::Level; }
    bool showsSti() const { return view == PlanView::Sti; }
    // A map in colours on the floor instead of the zones.
    bool showsMap() const { return showsLevel() || showsSti(); }
    // The view of a map (level or intelligibility) without its map yet.
    bool levelPending() const { return (showsLevel() && !level) || (showsSti() && !sti); }
    // Whether the room has an area to draw.
    bool hasRoom() const { return coverage.grid.cells() > 0; }
    qsizetype loudspeakers() const { return qsizetype(layout.placements.size()); }
    // The summary line under the table and on the page: the loudspeakers
    // and the covered share, or in the level view the level summary (while
    // the map is computed, that it is).
    QString summary() const;
    // What keeps the plan from showing the arrangement whole: more
    // loudspeakers than a plan holds, or no room to place them in; empty
    // when nothing does.
    QString limitNote() const;
};

// Lays out the arrangement for the figures' room (count loudspeakers where
// the arrangement takes a count, see layOut) and computes its coverage.
PlanScene buildScene(const PlanFigures &figures, Arrangement arrangement, double count);

// The coverage as an image, one pixel per cell, the top row the far wall.
QImage floorImage(const FloorCoverage &coverage);

// What the level map of a layout is computed from: the figures' loudspeaker
// and room, and the placements.
LevelInputs levelInputs(const PlanFigures &figures, const std::vector<Placement> &placements);

// Computes the map (on every core) and what the drawings take of it: its
// summary against requiredLevel, its colour bands as an image and the two
// contour lines. Null when cancel became true before it was done; safe to
// call from any thread.
std::shared_ptr<const LevelPicture> levelPicture(const LevelInputs &inputs, double requiredLevel,
                                                 const std::atomic<bool> *cancel = nullptr);

// What the intelligibility map of a layout is computed from: the level
// map's inputs, the room's height and noise from the figures, and the
// surfaces.
StiInputs stiInputs(const PlanFigures &figures, const std::vector<Placement> &placements,
                    const Surfaces &surfaces);

// Computes the intelligibility map (on every core), its summary, its
// image and contour. Null when cancel became true before it was done; safe
// to call from any thread.
std::shared_ptr<const StiPicture> stiPicture(const StiInputs &inputs,
                                             const std::atomic<bool> *cancel = nullptr);

// Computes the scene's map (level or intelligibility) here and now where
// its view shows the map and the map is not there yet.
void completeLevel(PlanScene &scene);

} // namespace plan
