#pragma once

#include "project/roomcalculator.h"

#include "calc/calculation.h"
#include "calc/shape.h"
#include "plan/layout.h"
#include "plan/planfigures.h"

#include <optional>

// The calculation of a project's rooms and lines: the catalogue, the room
// types, the main window's CALCULATE, the plan's coverage and the "Линия"
// window's formulas, put together for the project window, which knows none
// of them.
class RoomEvaluation : public project::RoomCalculator {
public:
    project::RoomResults evaluate(const project::RoomInputs &inputs, const QString &layout) const override;
    project::RoomLevels evaluateLevels(const project::RoomInputs &inputs, const QString &layout,
                                       const std::atomic<bool> *cancel = nullptr) const override;
    project::LineResults evaluateLine(const project::LineLoad &line, QChar decimalPoint) const override;
    QStringList layouts(calc::Mounting mounting) const override;
};

// What CALCULATE reads for a room, as the main window holds it once the
// room has been entered: a catalogue model's power, sensitivity and
// mounting type, a listed room type's noise, the room's own texts
// otherwise.
calc::CalcInputs calculationInputs(const project::RoomInputs &inputs, QChar decimalPoint);

// The mounting type of a catalogue model; none for any other text.
std::optional<calc::Mounting> catalogueMounting(const QString &model);

// The noise of a listed room type ("ПРОЧИЕ" is not one: it has the room's
// own noise); none for any other text.
std::optional<int> listedNoise(const QString &roomType);

// The arrangement a layout caption names for the mounting type, the
// default one when it names none of those offered.
plan::Arrangement arrangementOf(calc::Mounting mounting, const QString &layout);

// A room's CALCULATE as the main window runs it once the room has been
// entered: the calculation with the inputs it read and the state it left,
// whether it completed, and its messages (the reason it stopped, or the
// warnings of one that completed), joined by spaces.
struct RoomCalculation {
    calc::CompletedCalculation calculation;
    bool completed = false;
    QString note;
};
RoomCalculation calculateRoom(const project::RoomInputs &inputs);

// The plan of a completed calculation in the room's layout with the
// calculated count (a whole number of 1 .. plan::MaxLoudspeakers): the plan
// the table's "Озвучено, %" and level figures describe, where the count or
// the grid does not exceed the limit (the table gives a room beyond it no
// plan figures; the plan window and its files place as many as it holds).
struct RoomPlan {
    plan::PlanFigures figures;
    plan::Arrangement arrangement = plan::Arrangement::Rows;
    int count = 1;
};
// Its floor is the room's (roomShape).
RoomPlan roomPlan(const calc::CompletedCalculation &calculation, const project::RoomInputs &room,
                  const QString &layout);

// A room's floor: its outline's shape, or the rectangle of the length and
// width its calculation read.
calc::Shape roomShape(const project::RoomInputs &room, const calc::CalcState &state);
