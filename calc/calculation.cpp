#include "calculation.h"

#include "coverage.h"
#include "soundpressure.h"
#include "textrules.h"

#include <cmath>

namespace calc {

namespace {

// A failed input: its message, the text its box is reset to (if any) and
// the focus on the box, then the five result labels emptied.
Effects inputStop(const QString &message, Control control, const QString &resetText = QString())
{
    Effects effects{Effect::message(message)};
    if (!resetText.isNull())
        effects.push_back(Effect::setText(control, resetText));
    effects.push_back(Effect::focus(control));
    effects.push_back(Effect::clearLabels());
    return effects;
}

// A manual-setting combo: a number within its bounds. Both "," and "." are
// its decimal separator in every locale, so that "90,5" and "90.5" are both
// 90.5; otherwise the same numeric test as any number of the locale.
std::optional<double> settingValue(const QString &text, double low, double high)
{
    QString number = text;
    number.replace(u',', u'.');
    if (!isLocaleNumber(number, u'.'))
        return std::nullopt;
    const double value = leadingValue(number);
    if (!(value >= low && value <= high))
        return std::nullopt;
    return value;
}

// A text box that must hold a number other than 0; a value too large for a
// double is refused as well.
std::optional<double> requiredValue(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const double value = leadingValue(text);
    if (value == 0.0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A room dimension: like requiredValue, and a pasted negative length or
// width is refused too, since no room measures less than nothing.
std::optional<double> roomDimension(const QString &text)
{
    const auto value = requiredValue(text);
    if (!value || *value < 0.0)
        return std::nullopt;
    return value;
}

struct Reader {
    const CalcInputs &in;
    CalcState &state;
    Outcome outcome;

    bool stop(Effects effects)
    {
        outcome.effects.insert(outcome.effects.end(), effects.begin(), effects.end());
        return false;
    }

    bool readManualSettings()
    {
        const auto dir = settingValue(in.cmbGn, 10.0, 180.0);
        if (!dir)
            return stop(inputStop(msg::Directivity, Control::CmbGn, QStringLiteral("90")));
        state.dirDeg = *dir;
        state.dirRad = degreesToRadians(state.dirDeg);

        const auto vDir = settingValue(in.cmbDv, 10.0, 180.0);
        if (!vDir)
            return stop(inputStop(msg::Directivity, Control::CmbDv, QStringLiteral("90")));
        state.vDirDeg = *vDir;
        state.vDirRad = degreesToRadians(state.vDirDeg);

        const auto tilt = settingValue(in.cmbUN, 0.0, 90.0);
        if (!tilt)
            return stop(inputStop(msg::Tilt, Control::CmbUN, QStringLiteral("0")));
        state.tiltDeg = *tilt;
        state.tiltRad = degreesToRadians(state.tiltDeg);

        const auto margin = settingValue(in.cmbUPS, 3.0, 30.0);
        if (!margin)
            return stop(inputStop(msg::Margin, Control::CmbUPS, QStringLiteral("6")));
        state.margin = *margin;

        const auto listenH = settingValue(in.cmbVP, 120.0, 300.0);
        if (!listenH)
            return stop(inputStop(msg::ListenHeight, Control::CmbVP, QStringLiteral("150")));
        state.listenH = *listenH;
        return true;
    }

    void readTap()
    {
        if (in.tapMember == 1)
            state.tap = 1.0;
        else if (in.tapMember == 2)
            state.tap = 0.5;
        else if (in.tapMember == 3)
            state.tap = 1.0 / 3.0;
    }

    bool readLoudspeaker()
    {
        // A power that rounds to less than 1 W on the chosen tap, or beyond
        // a 32-bit whole number, has no decibel value: the same message as
        // an empty power.
        const auto power = requiredValue(in.txtPv);
        const auto tapped = power ? tappedPower(*power, state.tap) : std::nullopt;
        if (!tapped)
            return stop(inputStop(msg::Power, Control::TxtPv));
        state.powerW = *power;
        state.logP = logdb(*tapped);

        const auto sens = requiredValue(in.txtPd);
        if (!sens)
            return stop(inputStop(msg::Sensitivity, Control::TxtPd));
        state.sens = *sens;
        return true;
    }

    bool readRoom()
    {
        const auto noise = requiredValue(in.txtN);
        if (!noise)
            return stop(inputStop(msg::Noise, Control::TxtN));
        state.noise = *noise;

        const bool ceiling = in.mounting == Mounting::Ceiling;
        const auto height = requiredValue(in.txtH);
        if (ceiling && !height)
            return stop(inputStop(msg::CeilingHeight, Control::TxtH));
        state.mountH = leadingValue(in.txtH);
        if (!ceiling && !height)
            return stop(inputStop(msg::MountHeight, Control::TxtH));

        const auto length = roomDimension(in.txtL);
        if (!length)
            return stop(inputStop(msg::Length, Control::TxtL));
        state.roomL = *length;

        const auto width = roomDimension(in.txtW);
        if (!width)
            return stop(inputStop(msg::Width, Control::TxtW));
        state.roomW = *width;

        QString areaText = in.txtSR;
        if (state.areaFromLW) {
            const double product = leadingValue(in.txtW) * leadingValue(in.txtL);
            if (!std::isfinite(product))
                return stop(inputStop(msg::Length, Control::TxtL));
            // Written with "." whatever the locale, so that the area box
            // reads back as exactly this product.
            areaText = formatGeneral(product, u'.');
            outcome.effects.push_back(Effect::setText(Control::TxtSR, areaText));
        }
        // The area is not checked: an empty or zero area is accepted.
        state.roomArea = leadingValue(areaText);
        if (!std::isfinite(state.roomArea))
            return stop(inputStop(msg::Area, Control::TxtSR));
        return true;
    }

    // Sound pressure and range; a required level beyond 16 bits is blamed
    // on the noise, a level or range beyond a double on the sensitivity.
    bool computeSoundPressure()
    {
        const auto reqLevel = requiredLevel(state.noise, state.margin);
        if (!reqLevel)
            return stop(inputStop(msg::Noise, Control::TxtN));
        const double splTotal = totalSoundPressure(state.sens, state.logP);
        const double excess = splTotal - *reqLevel;
        const double range = effectiveRange(excess);
        if (!std::isfinite(splTotal) || !std::isfinite(range))
            return stop(inputStop(msg::Sensitivity, Control::TxtPd));
        state.splTotal = splTotal;
        state.excess = excess;
        state.range = range;
        return true;
    }
};

} // namespace

Outcome calculate(const CalcInputs &in, CalcState &state)
{
    state.coverS = 0.0;
    state.calculated = false;

    Reader reader{in, state, {}};
    if (!reader.readManualSettings())
        return reader.outcome;
    reader.readTap();
    if (!reader.readLoudspeaker() || !reader.readRoom() || !reader.computeSoundPressure())
        return reader.outcome;

    // Coverage step: the geometry of the mounting type computes into local
    // values, and the count follows; the state takes them only when nothing
    // stops, so that a stop leaves the count and the range as they were.
    Effects &effects = reader.outcome.effects;
    const double dropH = dropHeight(state.mountH, state.listenH);
    const auto coverage = mountingCoverage(in.mounting, geometryInputs(state, dropH), effects);
    if (!coverage)
        return reader.outcome;
    const double count
        = loudspeakerCount(state.roomArea, coverage->coverS, coverage->alongCount, state.count);
    // Figures beyond a double are never shown: a range or area too large is
    // blamed on the sensitivity, a count too large on the length.
    if (!hasFiniteArea(*coverage)) {
        reader.stop(inputStop(msg::Sensitivity, Control::TxtPd));
        return reader.outcome;
    }
    if (!std::isfinite(coverage->alongCount) || !std::isfinite(count)) {
        reader.stop(inputStop(msg::Length, Control::TxtL));
        return reader.outcome;
    }
    state.coverS = coverage->coverS;
    state.range = coverage->range.value_or(state.range);
    state.halfSpan = coverage->halfSpan.value_or(state.halfSpan);
    state.count = count;
    state.dropH = dropH;
    state.zone = coverage->zone;

    const QChar dp = in.decimalPoint;
    effects.push_back(Effect::setText(Control::LblPd, formatGeneral(state.splTotal, dp)));
    effects.push_back(Effect::setText(Control::LblD, formatGeneral(state.range, dp)));
    effects.push_back(Effect::setText(Control::LblS, formatGeneral(state.coverS, dp)));
    effects.push_back(Effect::setText(Control::LblKs, formatGeneral(state.count, dp)));
    state.calculated = true;
    reader.outcome.completed = true;
    return reader.outcome;
}

} // namespace calc
