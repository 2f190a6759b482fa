#include "roomcalculator.h"

#include "calc/numberformat.h"

#include <cmath>

namespace project {

RoomInputs inputsOf(const calc::CompletedCalculation &calculation)
{
    const calc::CalcInputs &in = calculation.inputs;
    RoomInputs room;
    room.model = calculation.model;
    room.modelFromList = calculation.modelFromList;
    room.mounting = in.mounting;
    room.tap = in.tapMember.value_or(1);
    room.power = in.txtPv;
    room.sensitivity = in.txtPd;
    room.directivity = in.cmbGn;
    room.verticalDirectivity = in.cmbDv;
    room.tilt = in.cmbUN;
    room.margin = in.cmbUPS;
    room.listeningHeight = in.cmbVP;
    room.roomType = calculation.roomType;
    room.noise = in.txtN;
    room.height = in.txtH;
    room.length = in.txtL;
    room.width = in.txtW;
    room.areaFromSides = calculation.state.areaFromLW;
    // With the area from the sides the calculation wrote the product into
    // the area box, with "." whatever the locale.
    room.area = room.areaFromSides ? calc::formatGeneral(calculation.state.roomArea, u'.') : in.txtSR;
    return room;
}

calc::OutlineFault setOutline(RoomInputs &inputs, const std::vector<QPointF> &outline)
{
    if (outline.empty()) {
        inputs.outline.clear();
        return calc::OutlineFault::None;
    }
    if (const calc::OutlineFault fault = calc::checkOutline(outline); fault != calc::OutlineFault::None)
        return fault;
    // The corners kept, counter-clockwise, must pass as well, and give the
    // figures: the file reads them back, and an area summed the other way
    // round may differ in its last bit and round to another hundredth.
    const calc::Shape shape = calc::Shape::fromOutline(calc::Shape::fromOutline(outline).outline());
    if (const calc::OutlineFault fault = calc::checkOutline(shape.outline());
        fault != calc::OutlineFault::None)
        return fault;
    inputs.outline = shape.outline();
    // The texts as a user types them in the main window, so that the
    // calculation reads the same figures the file shows.
    inputs.length = calc::formatTrimmed(shape.length(), 2, u'.');
    inputs.width = calc::formatTrimmed(shape.width(), 2, u'.');
    inputs.area = calc::formatTrimmed(shape.area(), 2, u'.');
    inputs.areaFromSides = false;
    return calc::OutlineFault::None;
}

RoomSurfaces surfacesOf(const Room &room)
{
    return {room.floorSurface, room.wallsSurface, room.ceilingSurface,
            reverberationSeconds(room.reverberation)};
}

std::optional<double> reverberationSeconds(const QString &text)
{
    bool ok = false;
    const double seconds = text.trimmed().replace(u',', u'.').toDouble(&ok);
    return ok && std::isfinite(seconds) && seconds > 0.0 ? std::optional<double>(seconds) : std::nullopt;
}

QString reverberationProblem(const QString &text)
{
    return text.trimmed().isEmpty() || reverberationSeconds(text)
        ? QString()
        : QStringLiteral("должно быть числом больше 0");
}

double metresPerPlanUnit(const QString &key)
{
    if (key == QStringLiteral("mm"))
        return 0.001;
    if (key == QStringLiteral("cm"))
        return 0.01;
    if (key == QStringLiteral("m"))
        return 1.0;
    if (key == QStringLiteral("in"))
        return 0.0254;
    if (key == QStringLiteral("ft"))
        return 0.3048;
    return 0.0;
}

const FloorPlan *Project::planOf(const QString &floor) const
{
    for (const FloorPlan &plan : plans) {
        if (plan.floor == floor)
            return &plan;
    }
    return nullptr;
}

} // namespace project
