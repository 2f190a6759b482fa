#include "plantexts.h"

#include "calc/textrules.h"
#include "layout.h"

#include <cmath>

namespace plan {

QString fixedText(double value, int decimals, QChar decimalPoint)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(u'-')) {
        bool allZero = true;
        for (qsizetype i = 1; i < text.size(); ++i)
            allZero = allZero && (text[i] == u'0' || text[i] == u'.');
        if (allZero)
            text.remove(0, 1);
    }
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QString lengthText(double metres, QChar decimalPoint)
{
    QString text = QString::number(metres, 'f', 2);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

QString coverageLine(double percent, QChar decimalPoint)
{
    return QStringLiteral("Озвучено: %1 % площади помещения").arg(fixedText(percent, 1, decimalPoint));
}

QString summaryLine(qsizetype onPlan, double calculated, double percent, QChar decimalPoint)
{
    return QStringLiteral("Громкоговорителей на плане: %1 (по расчёту: %2). %3")
        .arg(onPlan)
        .arg(calc::formatGeneral(calculated, decimalPoint), coverageLine(percent, decimalPoint));
}

QString tooManyLine(double calculated, QChar decimalPoint)
{
    return QStringLiteral("Эта расстановка требует более %1 громкоговорителей (по расчёту: %2); "
                          "план не построен")
        .arg(MaxLoudspeakers)
        .arg(calc::formatGeneral(calculated, decimalPoint));
}

QByteArray csvBytes(const std::vector<Placement> &placements, QChar decimalPoint)
{
    QString text = text::Number + u';' + text::X + u';' + text::Y + QStringLiteral("\r\n");
    text.reserve(text.size() + qsizetype(placements.size()) * 20);
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const QPointF at = placements[i].position;
        text += QString::number(i + 1) + u';' + fixedText(at.x(), 2, decimalPoint) + u';'
            + fixedText(at.y(), 2, decimalPoint) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace plan
