#include "validation.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace project {

namespace {

// Within [low, high]; with lowOpen, above low. NaN is in no range.
bool within(double value, double low, double high, bool lowOpen)
{
    if (!std::isfinite(value) || !(value <= high))
        return false;
    return lowOpen ? value > low : value >= low;
}

} // namespace

std::optional<LineProblem> lineProblem(const Line &line)
{
    if (std::find(std::begin(LineVoltages), std::end(LineVoltages), line.voltage) == std::end(LineVoltages))
        return LineProblem{&Line::voltage, QStringLiteral("должно быть одним из: 100, 70, 30")};
    if (!within(line.firstLength, 0.0, MaxLineLength, false))
        return LineProblem{&Line::firstLength, QStringLiteral("должно быть от 0 до 100 000")};
    if (!within(line.lastLength, 0.0, MaxLineLength, true))
        return LineProblem{&Line::lastLength, QStringLiteral("должно быть больше 0 и не больше 100 000")};
    if (line.firstLength > line.lastLength)
        return LineProblem{&Line::firstLength, QStringLiteral("должно быть не больше"), &Line::lastLength};
    if (!within(line.section, 0.0, MaxSection, true))
        return LineProblem{&Line::section, QStringLiteral("должно быть больше 0 и не больше 1000")};
    if (!within(line.allowedLoss, 0.0, MaxAllowedLoss, true))
        return LineProblem{&Line::allowedLoss, QStringLiteral("должно быть больше 0 и не больше 60")};
    if (!within(line.headroom, 0.0, MaxHeadroom, false))
        return LineProblem{&Line::headroom, QStringLiteral("должно быть от 0 до 1000")};
    return std::nullopt;
}

QString lineKey(double Line::*field)
{
    if (field == &Line::voltage)
        return QStringLiteral("voltage");
    if (field == &Line::firstLength)
        return QStringLiteral("firstLength");
    if (field == &Line::lastLength)
        return QStringLiteral("lastLength");
    if (field == &Line::section)
        return QStringLiteral("section");
    if (field == &Line::allowedLoss)
        return QStringLiteral("allowedLoss");
    if (field == &Line::headroom)
        return QStringLiteral("headroom");
    return QString();
}

QString roomNameProblem(const QString &name)
{
    return name.trimmed().isEmpty() ? QStringLiteral("не может быть пустым") : QString();
}

QString valueProblemText(const QString &caption, const QString &reason)
{
    return QStringLiteral("Значение «%1» %2").arg(caption, reason);
}

} // namespace project
