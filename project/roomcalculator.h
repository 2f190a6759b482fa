#pragma once

#include "projectdata.h"

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace project {

// What the calculation of one room gave. The figures are those of the
// main window for the same inputs; a calculation that stops has none.
struct RoomResults {
    bool completed = false;
    // The mounting type the calculation ran with: a catalogue model's own,
    // or the room's for any other model.
    calc::Mounting mounting = calc::Mounting::Wall;
    // The noise text the calculation was given: a listed room type's own
    // level, or the room's text.
    QString noiseText;
    // The room as the calculation read it (completed calculations only).
    double noise = 0.0;
    double length = 0.0;
    double width = 0.0;
    double roomArea = 0.0;
    // The four results of the main window.
    double spl = 0.0;
    double range = 0.0;
    double coverArea = 0.0;
    double count = 0.0;
    double power = 0.0; // count x tapped power, W
    // The plan's covered share of the floor in per cent, if the plan could
    // be laid out.
    std::optional<double> covered;
    // The message of a calculation that stops, or the messages of one that
    // completes (such as the warning about the mounting height).
    QString note;

    bool operator==(const RoomResults &) const = default;
};

// The calculation of rooms, supplied by the program that knows the
// catalogue, the room types, the calculation and the plan. evaluate() is
// called from several threads at once and must not touch shared state.
class RoomCalculator {
public:
    virtual ~RoomCalculator() = default;

    virtual RoomResults evaluate(const RoomInputs &inputs, const QString &layout) const = 0;

    // The plan layouts offered for a mounting type, the default first.
    virtual QStringList layouts(calc::Mounting mounting) const = 0;

    bool layoutAllowed(calc::Mounting mounting, const QString &layout) const
    {
        return layouts(mounting).contains(layout);
    }
    QString defaultLayout(calc::Mounting mounting) const
    {
        const QStringList offered = layouts(mounting);
        return offered.isEmpty() ? QString() : offered.front();
    }
};

// A room's inputs taken from a completed calculation of the main window;
// an area taken from length x width is the product the area box then shows.
RoomInputs inputsOf(const calc::CompletedCalculation &calculation);

} // namespace project
