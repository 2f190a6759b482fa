#include "numberformat.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace calc {

QChar localeDecimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QString formatGeneral(double value, QChar decimalPoint)
{
    if (!std::isfinite(value))
        return QString();
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'G', 15);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QString formatFixed(double value, int decimals, QChar decimalPoint)
{
    if (!std::isfinite(value))
        return QString();
    if (std::abs(value) >= 1e15)
        return formatGeneral(value, decimalPoint);
    QString text = QString::number(value, 'f', decimals);
    const bool allZero
        = std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    if (allZero && text.startsWith(u'-'))
        text.remove(0, 1);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QString formatShare(double percent, QChar decimalPoint)
{
    const QString shown = formatFixed(percent, 1, decimalPoint);
    if (percent < 100.0 && shown == formatFixed(100.0, 1, decimalPoint))
        return formatFixed(99.9, 1, decimalPoint);
    if (percent > 0.0 && shown == formatFixed(0.0, 1, decimalPoint))
        return formatFixed(0.1, 1, decimalPoint);
    return shown;
}

QString formatTrimmed(double value, int maxDecimals, QChar decimalPoint)
{
    QString text = formatFixed(value, maxDecimals, u'.');
    if (text.contains(u'.') && !text.contains(u'E') && !text.contains(u'e')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

} // namespace calc
