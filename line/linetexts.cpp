#include "linetexts.h"

#include "calc/textrules.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace line {

namespace {

// A cross-section: its general format, or "более 10" when no standard
// section is enough.
QString formatSection(std::optional<double> section, QChar decimalPoint)
{
    return section ? calc::formatGeneral(*section, decimalPoint) : QStringLiteral("более 10");
}

} // namespace

QChar localeDecimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

std::optional<double> readNumber(QStringView text)
{
    // A text with a comma is read with the comma as its separator; one with
    // both is neither.
    const bool withPoint = calc::isLocaleNumber(text, u'.');
    const bool withComma = calc::isLocaleNumber(text, u',');
    if (!withPoint && !withComma)
        return std::nullopt;
    QString normalised = text.toString();
    normalised.replace(u',', u'.');
    const double value = calc::leadingValue(normalised);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatFixed(double value, int decimals, QChar decimalPoint)
{
    if (!std::isfinite(value))
        return QString();
    if (std::abs(value) >= 1e15)
        return calc::formatGeneral(value, decimalPoint);
    QString text = QString::number(value, 'f', decimals);
    const bool allZero
        = std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    if (allZero && text.startsWith(u'-'))
        text.remove(0, 1);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

LineTexts formatLine(const LineFigures &f, QChar dp)
{
    LineTexts t;
    t.totalPower = calc::formatGeneral(f.totalPower, dp);
    t.load = formatFixed(f.load, 1, dp);
    t.wireResistance = formatFixed(f.wireResistance, 2, dp);
    t.lossAtLast = formatFixed(f.lossAtLast, 2, dp);
    t.voltageAtLast = formatFixed(f.voltageAtLast, 1, dp);
    t.cableLossShare = formatFixed(f.cableLossShare, 1, dp);
    t.leastSection = formatSection(f.leastSection, dp);
    t.longestLine = calc::formatGeneral(f.longestLine, dp);
    t.amplifierPower = calc::formatGeneral(f.amplifierPower, dp);
    if (f.lossInNorm) {
        t.verdict = QStringLiteral("Потери в норме");
    } else {
        // "не менее более 10" would not read; above the largest section the
        // sentence asks for a section above 10 mm2.
        const QString section
            = f.leastSection ? QStringLiteral("не менее %1").arg(t.leastSection) : t.leastSection;
        t.verdict = QStringLiteral("Потери больше допустимых: нужно сечение %1 мм² или линия не длиннее %2 м")
                        .arg(section, t.longestLine);
    }
    return t;
}

QString problemText(LineField field)
{
    switch (field) {
    case LineField::Count: return QStringLiteral("Введите количество громкоговорителей");
    case LineField::Power: return QStringLiteral("Введите мощность громкоговорителя на отводе");
    case LineField::LastLength: return QStringLiteral("Введите длину до последнего громкоговорителя");
    case LineField::FirstLength:
        return QStringLiteral("Длина до первого громкоговорителя должна быть от 0 до длины до последнего");
    case LineField::Section: return QStringLiteral("Введите сечение жилы");
    case LineField::AllowedLoss: return QStringLiteral("Введите допустимые потери");
    case LineField::Headroom: return QStringLiteral("Введите запас мощности усилителя");
    }
    return QString();
}

} // namespace line
