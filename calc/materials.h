#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The materials a room's floor, walls and ceiling may be made of, with
// their absorption coefficients in the seven octave bands 125 .. 8000 Hz
// (after M. Vorländer, Auralization, Springer 2008, appendix; 8000 Hz
// takes the 4000 Hz figure). The plan's intelligibility map and the
// project file both read this one table.
namespace calc {

inline constexpr int MaterialBands = 7; // 125, 250, 500, 1000, 2000, 4000, 8000 Hz
using MaterialAbsorption = std::array<double, MaterialBands>;

// What a new room's surfaces are made of.
QString defaultFloorMaterial();   // "линолеум"
QString defaultWallsMaterial();   // "штукатурка"
QString defaultCeilingMaterial(); // "штукатурка"

// The materials' names, in the order the lists show them.
QStringList materialNames();
bool isMaterial(const QString &name);

// A material's absorption in the seven bands; none for a name not in
// materialNames().
std::optional<MaterialAbsorption> materialAbsorption(const QString &name);

} // namespace calc
