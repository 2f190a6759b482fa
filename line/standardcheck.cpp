#include "standardcheck.h"

#include "calc/soundpressure.h"
#include "calc/textrules.h"

#include <algorithm>
#include <cmath>

namespace line {

namespace {

// Levels are judged as they are shown, to one decimal, so that a row never
// shows "75,0" next to "не выполнено".
double shownTenths(double value)
{
    return QString::number(value, 'f', 1).toDouble();
}

Verdict judged(bool met)
{
    return met ? Verdict::Met : Verdict::NotMet;
}

} // namespace

CalculationFigures figuresOf(const calc::CalcState &state, calc::Mounting mounting)
{
    CalculationFigures f;
    f.completed = state.calculated;
    f.count = state.count;
    f.tappedPower = calc::tappedPower(state.powerW, state.tap).value_or(0);
    f.splTotal = state.splTotal;
    f.noise = state.noise;
    f.margin = state.margin;
    f.mounting = mounting;
    f.mountH = state.mountH;
    f.dropH = calc::dropHeight(state.mountH, state.listenH);
    return f;
}

CalculationFigures figuresOf(const calc::CompletedCalculation &calculation)
{
    return figuresOf(calculation.state, calculation.inputs.mounting);
}

std::vector<CheckRow> standardChecks(const CalculationFigures &f, std::optional<double> lineLoss, QChar dp)
{
    std::vector<CheckRow> rows;

    // The level falls by 20 lg(r) dB at r metres from the 1 m figure, and
    // by the loss of the line at the last loudspeaker.
    CheckRow atThreeMetres{QStringLiteral("Уровень звука в 3\u00A0м от громкоговорителя, дБ"), QString(),
                           QStringLiteral("не менее 75"), Verdict::NoData};
    if (lineLoss) {
        const double level = f.splTotal - *lineLoss - 20.0 * std::log10(3.0);
        atThreeMetres.value = calc::formatFixed(level, 1, dp);
        atThreeMetres.verdict = judged(shownTenths(level) >= 75.0);
    }
    rows.push_back(atThreeMetres);

    // The signal the room asks for reaches the last loudspeaker less the
    // loss of the line. A completed calculation always had a required
    // level; without one the row is left out rather than shown with a
    // made-up figure.
    if (const auto required = calc::requiredLevel(f.noise, f.margin)) {
        CheckRow overNoise{QStringLiteral("Превышение сигнала над шумом, дБ"), QString(),
                           QStringLiteral("не менее 15"), Verdict::NoData};
        if (lineLoss) {
            const double excess = (*required - *lineLoss) - f.noise;
            overNoise.value = calc::formatFixed(excess, 1, dp);
            overNoise.verdict = judged(shownTenths(excess) >= 15.0);
        }
        rows.push_back(overNoise);
    }

    // The loudest spot is right under the loudspeaker, but never nearer
    // than the 1 m the sound pressure is given for.
    const double highest = f.splTotal - 20.0 * std::log10(std::max(f.dropH, 1.0));
    rows.push_back({QStringLiteral("Наибольший уровень звука в помещении, дБ"),
                    calc::formatFixed(highest, 1, dp), QStringLiteral("не более 120"),
                    judged(shownTenths(highest) <= 120.0)});

    // Light alarms are something to add, which the program cannot see done.
    if (f.noise > 95.0) {
        rows.push_back({QStringLiteral("Шум выше 95\u00A0дБА: звуковые оповещатели дополните световыми"),
                        calc::formatGeneral(f.noise, dp), QString(), Verdict::Required});
    }
    if (f.mounting == calc::Mounting::Wall && f.mountH < 2.3) {
        rows.push_back({QStringLiteral("Настенный оповещатель: высота установки не менее 2,3\u00A0м"),
                        calc::formatGeneral(f.mountH, dp), QString(), Verdict::NotMet});
    }
    return rows;
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Met: return Met;
    case Verdict::NotMet: return NotMet;
    case Verdict::NoData: return NoData;
    case Verdict::Required: return Required;
    }
    return QString();
}

} // namespace line
