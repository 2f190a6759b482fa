#pragma once

#include <array>
#include <limits>
#include <optional>
#include <variant>

// Losses on the wires of a 100/70/30 V loudspeaker line and the power the
// amplifier needs. Plain functions over numbers; the window reads the texts
// and shows the figures.
namespace line {

// Resistivity of copper, ohm * mm2 / m.
inline constexpr double CopperResistivity = 0.0175;

// The cross-sections of the cable on sale, mm2, smallest first.
inline constexpr std::array<double, 9> StandardSections{0.35, 0.5, 0.75, 1.0, 1.5, 2.5, 4.0, 6.0, 10.0};

// Relative tolerance of the comparisons at a boundary: a figure within this
// share of a section or a limit counts as equal to it, so that
// floating-point error of the formulas never turns an exact 0.35 mm2 into
// 0.5 mm2.
inline constexpr double RelativeTolerance = 1e-9;

// Relative tolerance of the roundings to whole metres and watts: a figure
// within this share of a whole number counts as that number, so that 75 W
// never becomes 76 W. It covers the few units in the last place that the
// handful of operations of a formula may be off, and no more: a share of
// 1e-9 would, from 10^9 W on, also swallow real fractions of a watt and
// more (99999999999 x 10 W with 25 % is 1249999999987.5 W, not ...8738).
inline constexpr double RoundingTolerance = 16 * std::numeric_limits<double>::epsilon();

// The inputs of the window as numbers; a text that is not a number reads as
// NaN and fails the check of its field.
struct LineInputs {
    double voltage = 100.0;    // line voltage U, V
    double count = 1.0;        // loudspeakers on the line n
    double power = 0.0;        // power of one loudspeaker on its tap P, W
    double firstLength = 10.0; // cable length to the first loudspeaker L0, m
    double lastLength = 50.0;  // cable length to the last loudspeaker L, m
    double section = 0.75;     // cross-section of one conductor S, mm2
    double allowedLoss = 1.0;  // allowed loss at the last loudspeaker, dB
    double headroom = 25.0;    // power headroom of the amplifier, %
};

// The inputs in the order their problems are reported: the first length is
// checked against the last one, so the last one comes first.
enum class LineField { Count, Power, LastLength, FirstLength, Section, AllowedLoss, Headroom };

struct LineFigures {
    double totalPower = 0.0;            // n * P, W
    double load = 0.0;                  // impedance of the loudspeakers Z = U^2 / (n P), ohm
    double wireResistance = 0.0;        // loop resistance up to the last loudspeaker R, ohm
    double lossAtLast = 0.0;            // level loss at the last loudspeaker, dB
    double voltageAtLast = 0.0;         // voltage at the last loudspeaker, V
    double cableLossShare = 0.0;        // share of the amplifier's power lost in the cable, %
    std::optional<double> leastSection; // least standard section, none when above 10 mm2
    double longestLine = 0.0;           // longest line for the chosen section, whole metres
    double amplifierPower = 0.0;        // least amplifier power, whole watts
    bool lossInNorm = false;            // lossAtLast does not exceed the allowed loss
    // Some line of whole metres, at least 1 m and not ending before the
    // first loudspeaker, keeps the chosen section within the allowed loss.
    bool shorterLineHelps = false;
};

// The figures of the line, or the first field (in LineField order) whose
// value is out of its range. A figure that would not be finite is blamed on
// the field that drives it out of range (see the .cpp).
std::variant<LineFigures, LineField> computeLine(const LineInputs &in);

} // namespace line
