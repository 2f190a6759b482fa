#pragma once

#include "calc/calcstate.h"
#include "calc/materials.h"
#include "calc/shape.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A building ("объект") of many rooms as the project file keeps it: each
// room with the texts of the main window's inputs at the moment it was
// added, and the plan layout chosen for it. Results are never kept here:
// they are computed from the inputs whenever they are needed.
namespace project {

// The main window's inputs of one room, as the user typed and chose them.
struct RoomInputs {
    QString model; // the text of the model box: a catalogue designation or any other text
    // A catalogue designation chosen from the model box's list: the
    // catalogue's power, sensitivity and mounting type apply. One typed
    // into the box keeps the power, sensitivity and mounting type below,
    // as the main window does.
    bool modelFromList = true;
    calc::Mounting mounting = calc::Mounting::Wall;
    int tap = 1; // the power tap: 1, 2 (1/2) or 3 (1/3)
    QString power;
    QString sensitivity;
    QString directivity;
    QString verticalDirectivity;
    QString tilt;
    QString margin;
    QString listeningHeight;
    QString roomType; // a listed room type or any other text
    QString noise;
    QString height;
    QString length;
    QString width;
    QString area;
    bool areaFromSides = false; // the area is length x width, not the typed one
    // The floor's corners in metres, counter-clockwise, the first not
    // repeated at the end; none for the rectangle length x width. A room
    // with an outline holds its shape's length, width and area in the
    // texts above (see setOutline), so that the calculation reads them.
    std::vector<QPointF> outline;

    bool operator==(const RoomInputs &) const = default;
};

// The most loudspeakers a plan holds (as the plan lays them out).
inline constexpr int MaxPlanCount = 100000;

// How many loudspeakers a room's plan holds where its arrangement takes a
// count: the calculation's count, the least count whose level map meets the
// rules (the fitted count), or a number the user set (1 .. MaxPlanCount).
// An arrangement that fixes its own count (a grid) ignores it.
struct PlanCount {
    enum class Kind { Calculated, Level, Fixed };
    Kind kind = Kind::Calculated;
    int number = 0; // Fixed only

    static PlanCount fixed(int number) { return {Kind::Fixed, number}; }
    bool operator==(const PlanCount &) const = default;
};

struct Room {
    QString name;
    QString floor;
    QString line;
    RoomInputs inputs;
    QString layout; // the caption of the plan's arrangement, e.g. "рядами"
    PlanCount count{};
    // What the floor, walls and ceiling are made of (calc::materialNames()),
    // and the reverberation time typed for the room, s, with a decimal point
    // (empty: computed from the materials). Texts of the room, as its name,
    // so that they are edited in place as it is.
    QString floorSurface = calc::defaultFloorMaterial();
    QString wallsSurface = calc::defaultWallsMaterial();
    QString ceilingSurface = calc::defaultCeilingMaterial();
    QString reverberation{};

    bool operator==(const Room &) const = default;
};

// A loudspeaker line of the building, fed by one amplifier channel: the
// inputs of the "Линия" window's formulas but the loudspeakers, which are
// those of the rooms whose line names it. New lines take that window's
// defaults.
struct Line {
    QString name;
    double voltage = 100.0;    // U, V: 100, 70 or 30
    double firstLength = 10.0; // cable to the first loudspeaker L0, m
    double lastLength = 50.0;  // cable to the last loudspeaker L, m
    double section = 0.75;     // cross-section of one conductor S, mm2
    double allowedLoss = 1.0;  // allowed loss at the last loudspeaker, dB
    double headroom = 25.0;    // power headroom of the amplifier, %

    bool operator==(const Line &) const = default;
};

// The line voltages on offer, V.
inline constexpr double LineVoltages[] = {100.0, 70.0, 30.0};

// The cable bought beyond the lines' lengths, %, unless the project says.
inline constexpr double DefaultCableAllowance = 10.0;

// The share of a room's floor, %, whose level must be at or above the
// required one for its plan to meet the rules, unless the project says;
// a project's share lies in MinTargetShare .. MaxTargetShare.
inline constexpr double DefaultTargetShare = 95.0;
inline constexpr double MinTargetShare = 50.0;
inline constexpr double MaxTargetShare = 100.0;

// The architect's plan a floor's rooms were read from: the DXF file (its
// path relative to the project file's folder, or absolute while the
// project has no file), the unit its coordinates are in ("mm", "cm", "m",
// "in", "ft") and the layer of the room outlines. The outlines of the
// floor's rooms are in metres on the plan's own coordinates.
struct FloorPlan {
    QString floor;
    QString file;
    QString units;
    QString layer;

    bool operator==(const FloorPlan &) const = default;
};

// The units a plan's coordinates may be in, as the file names them.
inline const QStringList PlanUnitKeys{QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m"),
                                      QStringLiteral("in"), QStringLiteral("ft")};

// Metres per unit of a plan whose unit the file names as key (PlanUnitKeys);
// 0 for any other key.
double metresPerPlanUnit(const QString &key);

struct Project {
    QString name;
    std::vector<Line> lines;
    double cableAllowance = DefaultCableAllowance;
    double targetShare = DefaultTargetShare;
    std::vector<FloorPlan> plans; // a floor at most once
    std::vector<Room> rooms;

    // The plan of floor, or none.
    const FloorPlan *planOf(const QString &floor) const;

    bool operator==(const Project &) const = default;
};

// The most corners an outline may have: checking that an outline does not
// cross itself takes time that grows as the square of its corners.
inline constexpr int MaxOutlinePoints = 1000;

// Gives the room the outline (none: the rectangle of its length and width,
// whose texts stay as they are). An outline that checkOutline accepts is
// kept counter-clockwise, and the room's length, width and area become its
// shape's, rounded to 0.01 and written with a decimal point, the area
// typed rather than taken from the sides. Any other outline leaves the room
// as it was and its fault is returned.
calc::OutlineFault setOutline(RoomInputs &inputs, const std::vector<QPointF> &outline);

// A room's typed reverberation time in seconds: none where the text is
// empty or is not a number above 0 (a decimal comma is read as the point).
std::optional<double> reverberationSeconds(const QString &text);
// Why a typed reverberation time is not taken ("должно быть числом больше
// 0"), or an empty text when it is (an empty one is: computed).
QString reverberationProblem(const QString &text);

// The mounting type as the file names it: "ceiling", "wall", "round",
// "square".
QString mountingKey(calc::Mounting mounting);
std::optional<calc::Mounting> mountingFromKey(const QString &key);

// The tap as the file and the table name it: "1", "1/2", "1/3".
QString tapText(int tap);
std::optional<int> tapFromText(const QString &text);

} // namespace project
