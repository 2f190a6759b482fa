#pragma once

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"

#include <QChar>
#include <QString>
#include <optional>
#include <vector>

// The check of a calculation against СП 3.13130.2009: the level 3 m from a
// loudspeaker, the signal over the noise, the highest level in the room,
// and two notices (loud rooms, low wall loudspeakers).
namespace line {

// What the line window takes from a calculation of the main window.
struct CalculationFigures {
    bool completed = false;   // a calculation has completed
    double count = 0.0;       // loudspeakers it needs
    double tappedPower = 0.0; // rated power x tap, rounded halves to even, W; 0 when none
    double splTotal = 0.0;    // sound pressure at 1 m, dB
    double noise = 0.0;       // room noise, dB
    double margin = 0.0;      // signal over noise the room asks for, dB
    calc::Mounting mounting = calc::Mounting::Wall;
    double mountH = 0.0; // installation height, m
    double dropH = 0.0;  // loudspeaker above the listening plane, m
};

// The figures of a calculation state and the mounting it was made for.
CalculationFigures figuresOf(const calc::CalcState &state, calc::Mounting mounting);

// The figures of a completed calculation of the main window.
CalculationFigures figuresOf(const calc::CompletedCalculation &calculation);

// What a row says: its rule is met or not, it could not be judged (the
// line it depends on has no figures), or it asks for something the
// program cannot find met or not.
enum class Verdict { Met, NotMet, NoData, Required };

// One row of the check: what is checked, its value, the rule and the
// verdict. Notices have no rule of their own: their text says it.
struct CheckRow {
    QString what;
    QString value;
    QString rule;
    Verdict verdict = Verdict::NotMet;
};

// The rows for a completed calculation; lineLoss is the loss at the last
// loudspeaker of the line, dB, none while the line has no figures: the rows
// that depend on it then have an empty value and no verdict. Values are
// written with decimalPoint.
std::vector<CheckRow> standardChecks(const CalculationFigures &figures, std::optional<double> lineLoss,
                                     QChar decimalPoint);

// The text shown for a verdict.
QString verdictText(Verdict verdict);

inline const QString CheckTitle = QStringLiteral("Проверка по СП 3.13130.2009");
inline const QString Met = QStringLiteral("выполнено");
inline const QString NotMet = QStringLiteral("не выполнено");
inline const QString NoData = QStringLiteral("нет данных");
inline const QString Required = QStringLiteral("требуется");

} // namespace line
