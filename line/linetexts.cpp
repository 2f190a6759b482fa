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

LineTexts formatLine(const LineFigures &f, QChar dp)
{
    LineTexts t;
    t.totalPower = calc::formatGeneral(f.totalPower, dp);
    t.load = calc::formatFixed(f.load, 1, dp);
    t.wireResistance = calc::formatFixed(f.wireResistance, 2, dp);
    t.lossAtLast = calc::formatFixed(f.lossAtLast, 2, dp);
    t.voltageAtLast = calc::formatFixed(f.voltageAtLast, 1, dp);
    t.cableLossShare = calc::formatFixed(f.cableLossShare, 1, dp);
    t.leastSection = formatSection(f.leastSection, dp);
    t.longestLine = calc::formatGeneral(f.longestLine, dp);
    t.amplifierPower = calc::formatGeneral(f.amplifierPower, dp);
    if (f.lossInNorm) {
        t.verdict = QStringLiteral("Потери в норме");
    } else {
        // "не менее более 10" would not read; above the largest section the
        // sentence asks for a section above 10 mm2. A no-break space keeps
        // every unit on the line of its number.
        const QString section
            = f.leastSection ? QStringLiteral("не менее %1").arg(t.leastSection) : t.leastSection;
        t.verdict = QStringLiteral("Потери больше допустимых: нужно сечение %1\u00A0мм²").arg(section);
        // A shorter line is offered only when one works.
        if (f.shorterLineHelps)
            t.verdict += QStringLiteral(" или линия не длиннее %1\u00A0м").arg(t.longestLine);
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
