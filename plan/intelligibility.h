#pragma once

#include "levelmap.h"

#include "calc/materials.h"
#include "calc/shape.h"

#include <QChar>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <optional>
#include <type_traits>
#include <vector>

// The speech transmission index (STI) of a room's loudspeakers on its
// listening plane, in the seven octave bands 125 .. 8000 Hz.
//
// The room is a box of its floor's shape and its height: floor and ceiling
// of the shape's area A, walls of its perimeter P times the height H,
// volume V = A H, surface S the sum. Each surface takes one material; the
// area-weighted mean absorption gives the reverberation time (Eyring)
// T = 0.161 V / (-S ln(1 - a)) and the room constant R = S a / (1 - a) in
// each band.
//
// The loudspeakers radiate male speech: splTotal is its A-weighted level
// 1 m in front of each, spread over the bands by speechSpectrum(). At a
// point a loudspeaker gives its direct sound by the level map's law
// (splTotal + s - 20 lg max(r, 1 m) + D), arriving r / 343 s after it
// left, and a reverberant sound the same everywhere in the room,
// I 16 pi / (Q R), which decays as e^(-13.8 t / T) from that arrival; Q is
// the directivity factor of the law. The room's noise is spread over the
// bands as an NR curve. The modulation transfer of each band and each of
// the 14 modulation frequencies, with the masking of the band below and
// the threshold of hearing, makes the band's transmission index, and the
// weighted bands with their redundancy corrections the STI.
namespace plan {

inline constexpr int OctaveBands = 7; // 125, 250, 500, 1000, 2000, 4000, 8000 Hz
using BandValues = std::array<double, OctaveBands>;
static_assert(std::is_same_v<BandValues, calc::MaterialAbsorption>);

inline constexpr int ModulationFrequencies = 14; // 0.63 .. 12.5 Hz

// The materials a surface may take, in the order the lists show them
// (calc/materials.h).
QStringList materialNames();
// A material's absorption in the seven bands (8000 Hz takes the 4000 Hz
// figure); none for a name not in materialNames().
std::optional<BandValues> absorptionOf(const QString &material);

// What the room's surfaces are made of, and a reverberation time that,
// when given (a number above 0), replaces the computed one in every band.
// The room constant stays that of the materials.
struct Surfaces {
    QString floor = calc::defaultFloorMaterial();
    QString walls = calc::defaultWallsMaterial();
    QString ceiling = calc::defaultCeilingMaterial();
    std::optional<double> reverberationTime; // s
};

struct RoomAcoustics {
    double volume = 0.0;            // m3
    double surface = 0.0;           // m2
    BandValues absorption{};        // area-weighted mean coefficient
    BandValues reverberationTime{}; // s
    BandValues roomConstant{};      // m2
};

// The acoustics of a room of floor area, perimeter and height (all above 0
// and finite) and surfaces of known materials; none otherwise, or where a
// given reverberation time is not a number above 0.
std::optional<RoomAcoustics> roomAcoustics(double floorArea, double perimeter, double height,
                                           const Surfaces &surfaces);

// The level of each band of speech relative to its A-weighted level, dB:
// the male speech spectrum (relative to its 500 Hz band) shifted so that
// its A-weighted bands add up to 0 dB.
BandValues speechSpectrum();

// The bands of a noise of noiseDbA dB(A) as the NR curve L = A + B NR
// whose A-weighted bands add up to it, dB.
BandValues noiseSpectrum(double noiseDbA);

// The A-weighting of the bands, dB.
BandValues aWeighting();

// The directivity factor Q = 4 pi / (integral of 10^(D / 10) over the
// sphere) of the level map's law D for the inputs' mounting and
// directivities (the tilt turns the axis only and does not change it);
// NaN where the directivities are not valid.
double directivityFactor(const LevelInputs &inputs);

struct StiInputs {
    LevelInputs level; // loudspeakers, their law and the room's plan
    Surfaces surfaces;
    double height = 0.0; // room height, m
    double noise = 0.0;  // room noise, dB(A)
};

// Whether the inputs describe an STI: a level map (hasLevelMap), a height
// above 0 and not below the loudspeakers' height above the plane, a finite
// noise and a room whose acoustics are known.
bool hasSti(const StiInputs &inputs);

// The STI at one point of the plane (in the floor's coordinates), every
// loudspeaker summed; NaN where the inputs describe none.
double stiAt(const StiInputs &inputs, QPointF point);

// The cells of the coverage grid (cellGrid) in blocks of StiBlockCells x
// StiBlockCells, the last of a row or column holding what is left; the STI
// at each block's centre.
inline constexpr int StiBlockCells = 10;

struct StiMap {
    CellGrid cells;            // the coverage grid
    int block = StiBlockCells; // cells along each side of a block
    int columns = 0;           // blocks along X
    int rows = 0;              // blocks along Y
    // Row by row from Y = 0, each row from X = 0; NaN for a block whose
    // centre lies outside the outline of a room of any shape.
    std::vector<double> values;
    // A room of any shape: the blocks lie in its own axes.
    bool shaped = false;
    calc::Axes axes;
    RoomAcoustics acoustics;

    double at(int column, int row) const { return values[std::size_t(row) * columns + column]; }
    // The block's centre and its share of the grid's cells, in the map's
    // own frame (the room's axes for a room of any shape).
    QPointF centre(int column, int row) const;
    QRectF blockRect(int column, int row) const;
    double blockCells(int column, int row) const;
};

// Computes the map. cancel: when it becomes true the computation stops
// soon after and gives no value. threads: how many share the rows (0: one
// per core). blockCells: the cells along each side of a block, where a
// coarser map will do (a summary of many rooms). No value where hasSti is
// false or a value is not finite.
std::optional<StiMap> stiMap(const StiInputs &inputs, const std::atomic<bool> *cancel = nullptr,
                             int threads = 0, int blockCells = StiBlockCells);

// The level of the contour the plan draws, and the map's colour bands.
inline constexpr double StiContour = 0.50;
inline constexpr double StiBandWidth = 0.05;

struct StiSummary {
    double lowest = 0.0;
    double highest = 0.0;
    double mean = 0.0;          // over the floor's area
    double contourShare = 0.0;  // area at or above StiContour, per cent
    double reverberation = 0.0; // mean of the 500 and 1000 Hz bands, s
};

// The figures of a map with at least one block on the floor, each block
// counted by its area.
StiSummary summarize(const StiMap &map);

// "Разборчивость STI: от A до B, среднее C. Не ниже 0,50: D % площади.
// Время реверберации E с." with the STI to two decimals, D to one and E to
// two, all with decimalPoint.
QString stiSummaryText(const StiSummary &summary, QChar decimalPoint);

// The contour of an STI through the block centres, as segments in the
// floor's metres (as contourSegments draws the level's).
std::vector<QLineF> stiContourSegments(const StiMap &map, double value);

} // namespace plan
