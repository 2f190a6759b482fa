#pragma once

#include "documenttable.h"
#include "projectdata.h"
#include "roomcalculator.h"

#include <QChar>
#include <QString>
#include <vector>

// The lines of a building with the loudspeakers of their rooms, and the
// equipment list of the whole building. Plain functions over the project
// and its rooms' results (results[i] goes with rooms[i]).
namespace project {

// A line with the loudspeakers of the rooms whose line names it.
struct LineSummary {
    int rooms = 0;        // rooms on the line
    double count = 0.0;   // n: the sum of their loudspeakers (RoomResults::loudspeakers)
    double power = 0.0;   // the sum of their powers, W
    bool complete = true; // every room on it was computed
    LineResults results;  // the formulas' figures, when the line has loudspeakers
    QString verdict;      // "Вывод": the formulas', or why there are none
};

// What "Вывод" says of a line without loudspeakers; one with a room that
// was not computed says NoData.
inline const QString NoLoudspeakers = QStringLiteral("нет громкоговорителей");

// One summary per line, in the project's order: n, ΣP, P = ΣP/n and the
// line's own inputs through the "Линия" window's formulas.
std::vector<LineSummary> summariseLines(const Project &project, const std::vector<RoomResults> &results,
                                        const RoomCalculator &calculator, QChar decimalPoint);

// Whether the line's losses are over its limit (its figures computed).
bool lossOverLimit(const LineSummary &summary);

// Why a line's row is marked: its verdict when its losses are over the
// limit, when its inputs are out of range or when it could not be computed
// (a room on it was not); empty for a line in the norm or without
// loudspeakers.
QString lineFailure(const LineSummary &summary);

// The largest amplifier channel the equipment list orders, W; a line that
// needs more is to be split into several channels.
inline constexpr double LargestChannel = 2000.0;

// The rooms whose line is empty or names no line of the project.
int roomsOnNoLine(const Project &project);

// One row of the equipment list; a quantity that cannot be known (a room
// that was not computed, a line of no length) is NaN.
struct EquipmentItem {
    QString name;
    double quantity = 0.0;
    QString unit;
};

// The equipment list: a row per loudspeaker model and mounting in the
// order they first appear among the rooms, a row per cable cross-section
// from the thinnest, a row per line in the project's order. A cable row
// names the lines of its section whose losses are over the limit ("Кабель,
// сечение 0,75 мм² (не проходит по потерям: линии Л4, Л7)"); a line's
// amplifier row above LargestChannel says "(разделите линию на несколько
// каналов)".
std::vector<EquipmentItem> equipmentList(const Project &project, const std::vector<RoomResults> &results,
                                         const std::vector<LineSummary> &lines, QChar decimalPoint);

// The cable to buy for lines of these lengths, m: their sum with the
// allowance in per cent, rounded up to whole metres (a sum within a few
// units in the last place of a whole number is that number).
double cableMetres(const std::vector<double> &lengths, double allowance);

// "Л1", "Л2", ...: the first such name no line has.
QString newLineName(const Project &project);

// Why the line at index may not be called name (empty, or another line's),
// or nothing.
QString lineNameProblem(const Project &project, int index, const QString &name);

} // namespace project
