#include "planfigures.h"

#include "calc/soundpressure.h"

namespace plan {

PlanFigures figuresOf(const calc::CompletedCalculation &calculation)
{
    const calc::CalcState &state = calculation.state;
    PlanFigures f;
    f.mounting = calculation.inputs.mounting;
    f.roomL = state.roomL;
    f.roomW = state.roomW;
    f.roomArea = state.roomArea;
    f.shape = calc::Shape::rectangle(state.roomL, state.roomW);
    f.count = state.count;
    f.splTotal = state.splTotal;
    f.range = state.range;
    f.coverS = state.coverS;
    f.radius = state.zone.radius;
    f.dirRad = state.dirRad;
    f.dropH = state.dropH;
    f.nearSlant = state.zone.nearSlant;
    f.farSlant = state.zone.farSlant;
    f.edgeDeg = state.zone.edgeDeg;
    f.farHalfW = state.zone.farHalfW;
    f.nearSide = state.zone.nearSide;
    f.farSide = state.zone.farSide;
    f.dirDeg = state.dirDeg;
    f.vDirDeg = state.vDirDeg;
    f.tiltDeg = state.tiltDeg;
    f.requiredLevel = calc::requiredLevel(state.noise, state.margin).value_or(75);
    f.roomHeight = state.mountH;
    f.noise = state.noise;
    f.model = calculation.model;
    f.mountingWord = calc::mountingWord(calculation.inputs.mounting);
    f.decimalPoint = calculation.inputs.decimalPoint;
    return f;
}

} // namespace plan
