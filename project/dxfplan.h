#pragma once

#include "calc/shape.h"
#include "widgets/drawing.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// An architect's floor plan read from a DXF file: the rooms are the closed
// polylines of one layer, each named by the texts that stand inside it,
// and every line of the drawing comes along as a grey underlay. The file
// is read through dxflib after a pass of our own that checks its lines and
// keeps only what the plan needs (see dxfplan.cpp).
namespace project {

enum class PlanUnit { Inch, Foot, Millimetre, Centimetre, Metre };

// 0.0254, 0.3048, 0.001, 0.01 and 1.
double metresPerUnit(PlanUnit unit);
// "in", "ft", "mm", "cm" and "m".
QString unitKey(PlanUnit unit);
std::optional<PlanUnit> unitFromKey(const QString &key);

// A layer that has entities, with its closed outlines of any size.
struct PlanLayer {
    QString name;
    int closedOutlines = 0;
};

struct PlanRoom {
    calc::Shape outline; // metres, the plan's own coordinates, counter-clockwise
    QString name;        // the texts inside it in reading order joined by one space; empty when none
};

// The polylines of the layer read that did not become rooms.
struct PlanSkipped {
    int open = 0;
    int small = 0; // under 1 m2
    int selfCrossing = 0;
};

struct PlanReadOptions {
    QString layer;                                   // empty: the layer with most closed outlines
    PlanUnit unitWhenUnnamed = PlanUnit::Millimetre; // where $INSUNITS is 0 or missing
};

struct FloorPlanFile {
    std::optional<PlanUnit> namedUnit; // what $INSUNITS names (1, 2, 4, 5, 6); none for 0, missing or other
    PlanUnit unit = PlanUnit::Millimetre; // the unit used
    std::vector<PlanLayer> layers;        // every layer that has entities, sorted by name
    QString layer;                        // the layer read
    std::vector<PlanRoom> rooms;          // in reading order of their centres: top to bottom, left to right
    PlanSkipped skipped;
    // Every line of the drawing in metres, on its own layer, blocks expanded.
    std::vector<drawing::Polyline> background;
};

// A plan, or the reason in Russian why there is none.
struct PlanReading {
    std::optional<FloorPlanFile> plan;
    QString refusal;
};

// The largest file read.
inline constexpr qint64 MaxPlanFileBytes = 256LL * 1024 * 1024;
// Entities and points of the drawing with every block insertion expanded.
inline constexpr qint64 MaxPlanEntities = 5000000;
inline constexpr qint64 MaxPlanPoints = 10000000;
// Blocks inserted into blocks: deeper insertions are left out.
inline constexpr int MaxBlockDepth = 32;
// The smallest room.
inline constexpr double LeastRoomArea = 1.0; // m2

// dxflib keeps a static counter while it reads: one reading at a time, on
// any one thread.
PlanReading readFloorPlan(const QString &path, const PlanReadOptions &options);
// The same for bytes already read; fileName names the file in a refusal.
PlanReading readFloorPlanBytes(const QByteArray &bytes, const QString &fileName,
                               const PlanReadOptions &options);

// "Найдено помещений: 12. Пропущено: незамкнутых 1, меньше 1 м² 3."
QString planReport(const FloorPlanFile &plan);

} // namespace project
