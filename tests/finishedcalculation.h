#pragma once

// What every calculation must leave behind, whatever its inputs: checked by
// the hostile-input test and by the calculation's fuzz target alike.

#include "calc/calculation.h"
#include "calc/coverage.h"
#include "calc/textrules.h"

#include <QString>
#include <QStringList>
#include <cmath>

namespace finished {

// Every message the calculation may show, from the program's own texts.
inline const QStringList &systemMessages()
{
    using namespace calc::msg;
    static const QStringList list{
        Directivity,   Tilt,         Margin,       ListenHeight, Power,      Sensitivity,   Noise,
        CeilingHeight, MountHeight,  Length,       Width,        Area,       CeilingTooLow, MountTooLow,
        NotEnough,     MountTooHigh, IncreaseTilt, HeightShort,  EdgesUnset, NegativeDepth,
    };
    return list;
}

inline bool isWhole(double value)
{
    return std::isfinite(value) && value == std::floor(value);
}

// No text the calculation writes is an overflow or a non-number.
inline bool readable(const QString &text)
{
    return !text.contains(QLatin1String("inf"), Qt::CaseInsensitive)
        && !text.contains(QLatin1String("nan"), Qt::CaseInsensitive);
}

// The first broken rule of a calculation's outcome and the state it left,
// or an empty text when every rule holds:
// - every message is one of the system's own, every text it writes readable;
// - a calculation that stops says why and leaves nothing calculated;
// - one that completes shows four finite whole results, range at least 1 m
//   (at least 0 for the wall, whose horizontal reach is 0 when it hangs as
//   high above the listeners as it reaches), area and count at least 1, and
//   the four labels show exactly these values, last and in order.
inline QString brokenRule(const calc::Outcome &outcome, const calc::CalcState &state, calc::Mounting mounting,
                          QChar decimalPoint)
{
    int messages = 0;
    for (const calc::Effect &effect : outcome.effects) {
        if (effect.kind == calc::Effect::Kind::Message) {
            ++messages;
            if (!systemMessages().contains(effect.text))
                return QStringLiteral("a message of its own: ") + effect.text;
        }
        if (effect.kind == calc::Effect::Kind::SetText && !readable(effect.text))
            return QStringLiteral("an unreadable text: ") + effect.text;
    }
    if (state.calculated != outcome.completed)
        return QStringLiteral("Calculated disagrees with the outcome");
    if (!outcome.completed) {
        if (messages == 0)
            return QStringLiteral("stopped without a message");
        if (state.coverS != 0.0)
            return QStringLiteral("stopped with a covered area");
        return QString();
    }

    const double leastRange = mounting == calc::Mounting::Wall ? 0.0 : 1.0;
    if (!isWhole(state.splTotal))
        return QStringLiteral("sound pressure not whole: %1").arg(state.splTotal);
    if (!isWhole(state.range) || state.range < leastRange)
        return QStringLiteral("range %1").arg(state.range);
    if (!isWhole(state.coverS) || state.coverS < 1.0)
        return QStringLiteral("covered area %1").arg(state.coverS);
    if (!isWhole(state.count) || state.count < 1.0)
        return QStringLiteral("count %1").arg(state.count);

    const calc::Control labels[4]
        = {calc::Control::LblPd, calc::Control::LblD, calc::Control::LblS, calc::Control::LblKs};
    const double values[4] = {state.splTotal, state.range, state.coverS, state.count};
    if (outcome.effects.size() < 4)
        return QStringLiteral("fewer than four effects");
    for (int i = 0; i < 4; ++i) {
        const calc::Effect &effect = outcome.effects[outcome.effects.size() - 4 + i];
        if (effect.kind != calc::Effect::Kind::SetText || effect.control != labels[i])
            return QStringLiteral("the results are not the last four effects");
        if (effect.text != calc::formatGeneral(values[i], decimalPoint))
            return QStringLiteral("a label shows %1 for %2").arg(effect.text).arg(values[i]);
    }
    return QString();
}

} // namespace finished
