#pragma once

#include "calcstate.h"

#include <QChar>
#include <QString>
#include <optional>

namespace calc {

// What CALCULATE reads from the window.
struct CalcInputs {
    QString cmbGn, cmbDv, cmbUN, cmbUPS, cmbVP; // manual settings
    QString txtPv, txtPd, txtN, txtH, txtL, txtW, txtSR;
    std::optional<int> tapMember; // 1, 2 or 3: the selected power tap, if any
    Mounting mounting = Mounting::Wall;
    QChar decimalPoint = u'.'; // decimal separator of the user's locale
};

// What a calculation did: the visible effects in the order the window
// replays them, and whether it reached the end (the results are shown).
struct Outcome {
    Effects effects;
    bool completed = false;
};

// The CALCULATE command over numbers: reads and validates the inputs in
// order, stopping at the first invalid one with its message and recovery,
// then computes sound pressure, range, coverage and count into state.
Outcome calculate(const CalcInputs &in, CalcState &state);

// The messages of the validation steps, and the one every command that
// needs a completed calculation shows before there is one.
namespace msg {
inline const QString CalculateFirst = QStringLiteral("Вначале произведите расчет");
inline const QString Directivity = QStringLiteral("Введите значение диаграммы от 10 до 180");
inline const QString Tilt = QStringLiteral("Введите значение угла наклона от 0 до 90");
inline const QString Margin = QStringLiteral("Введите значение от 3 до 30");
inline const QString ListenHeight = QStringLiteral("Введите значение от 120 до 300");
inline const QString Power = QStringLiteral("Введите значение мощности громкоговорителя");
inline const QString Sensitivity = QStringLiteral("Введите значение чувствительности громкоговорителя");
inline const QString Noise = QStringLiteral("Введите уровень шума");
inline const QString CeilingHeight = QStringLiteral("Введите высоту потолков");
inline const QString MountHeight = QStringLiteral("Введите высоту установки громкоговорителя");
inline const QString Length = QStringLiteral("Введите длину помещения");
inline const QString Width = QStringLiteral("Введите ширину помещения");
// An area too large to be a number: the area box has no check of its own
// otherwise, since an empty or zero area is a valid input.
inline const QString Area = QStringLiteral("Введите площадь помещения");
} // namespace msg

} // namespace calc
