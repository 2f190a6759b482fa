#pragma once

#include "calcstate.h"

#include <QChar>
#include <QString>
#include <optional>

// The floor area one loudspeaker covers at the listening height, for each
// mounting type, and the number of loudspeakers the room needs.
namespace calc {

// The numbers the geometries work on; lengths in metres, angles in radians
// unless named in degrees.
struct GeometryInputs {
    double mountH = 0.0;  // ceiling or installation height
    double listenH = 0.0; // listening height, cm
    double dropH = 0.0;   // height of the loudspeaker above the listening plane
    double dirRad = 0.0;  // horizontal directivity
    double vDirDeg = 0.0; // vertical directivity, degrees and radians
    double vDirRad = 0.0;
    double tiltDeg = 0.0; // tilt, degrees and radians
    double tiltRad = 0.0;
    double range = 0.0; // effective range
    double roomL = 0.0; // room length
};

// The inputs of the geometries from the calculation state.
GeometryInputs geometryInputs(const CalcState &state, double dropH);

// What a geometry yields when it does not stop the calculation.
struct Coverage {
    double coverS = 0.0;            // area covered by one loudspeaker, m2
    double alongCount = 0.0;        // least count that covers the room length
    std::optional<double> range;    // wall: the horizontal reach that replaces the range
    std::optional<double> halfSpan; // wall and horns: lateral half-width of the zone
    ZoneFigures zone;               // where the covered zone lies
};

// Each geometry appends its messages and recoveries to effects in the order
// the user sees them; no value means the calculation stops there.
std::optional<Coverage> ceilingCoverage(const GeometryInputs &in, Effects &effects);
std::optional<Coverage> wallCoverage(const GeometryInputs &in, Effects &effects);
std::optional<Coverage> roundHornCoverage(const GeometryInputs &in, Effects &effects);
std::optional<Coverage> squareHornCoverage(const GeometryInputs &in, Effects &effects);

// The geometry of the mounting type.
std::optional<Coverage> mountingCoverage(Mounting mounting, const GeometryInputs &in, Effects &effects);

// Loudspeakers needed: the room area over the covered area, rounded down plus
// one, at least 1 and at least alongCount. Without a positive covered area
// the previous count stands in for the area count.
double loudspeakerCount(double roomArea, double coverS, double alongCount, double previousCount);

// Whether the range, covered area and half-width are finite numbers (a huge
// sensitivity gives a range whose square overflows).
bool hasFiniteArea(const Coverage &coverage);

// The messages of the coverage geometries.
namespace msg {
inline const QString CeilingTooLow = QStringLiteral("Слишком низкая высота потолков");
inline const QString MountTooLow = QStringLiteral("Слишком низкая высота установки");
inline const QString NotEnough = QStringLiteral("Выбранного динамика не достаточно для указанных параметров");
inline const QString MountTooHigh = QStringLiteral("Высота установки слишком большая");
inline const QString IncreaseTilt
    = QStringLiteral("Попробуйте увеличить угол наглона громкоговорителя\r\n"
                     "или выбрать рупор с большей вертикальной диаграммой направленности");
inline const QString HeightShort
    = QStringLiteral("Высоты установки не достаточно для эффективного перекрытия озвучиваемой площади\r\n"
                     "Расчет будет продолжен");
inline const QString EdgesUnset = QStringLiteral("ТЕСТ FAULT Гепотенузы не вычесленны??????");
inline const QString NegativeDepth = QStringLiteral("Ошибка");
} // namespace msg

} // namespace calc
