#include "standardcheck.h"

#include "calc/soundpressure.h"
#include "calc/textrules.h"
#include "line/linecalc.h"
#include "line/linetexts.h"

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

std::vector<CheckRow> standardChecks(const CalculationFigures &f, double lineLoss, QChar dp)
{
    std::vector<CheckRow> rows;

    // The level falls by 20 lg(r) dB at r metres from the 1 m figure, and
    // by the loss of the line at the last loudspeaker.
    const double atThreeMetres = f.splTotal - lineLoss - 20.0 * std::log10(3.0);
    rows.push_back({QStringLiteral("Уровень звука в 3 м от громкоговорителя, дБ"),
                    calc::formatFixed(atThreeMetres, 1, dp), QStringLiteral("не менее 75"),
                    shownTenths(atThreeMetres) >= 75.0});

    // A completed calculation always had a required level; without one the
    // row is left out rather than shown with a made-up figure.
    if (const auto required = calc::requiredLevel(f.noise, f.margin)) {
        const double excess = *required - f.noise;
        rows.push_back({QStringLiteral("Превышение сигнала над шумом, дБ"), calc::formatGeneral(excess, dp),
                        QStringLiteral("не менее 15"), excess >= 15.0 * (1.0 - RelativeTolerance)});
    }

    // The loudest spot is right under the loudspeaker, but never nearer
    // than the 1 m the sound pressure is given for.
    const double highest = f.splTotal - 20.0 * std::log10(std::max(f.dropH, 1.0));
    rows.push_back({QStringLiteral("Наибольший уровень звука в помещении, дБ"),
                    calc::formatFixed(highest, 1, dp), QStringLiteral("не более 120"),
                    shownTenths(highest) <= 120.0});

    if (f.noise > 95.0) {
        rows.push_back({QStringLiteral("Шум выше 95 дБА: звуковые оповещатели дополните световыми"),
                        calc::formatGeneral(f.noise, dp), QString(), false});
    }
    if (f.mounting == calc::Mounting::Wall && f.mountH < 2.3) {
        rows.push_back({QStringLiteral("Настенный оповещатель: высота установки не менее 2,3 м"),
                        calc::formatGeneral(f.mountH, dp), QString(), false});
    }
    return rows;
}

} // namespace line
