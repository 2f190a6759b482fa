#include "plantexts.h"

#include "calc/textrules.h"
#include "layout.h"

#include <cmath>

namespace plan {

QString replaceQuestion(const QString &fileName)
{
    return QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(fileName);
}

QString coverageLine(double percent, QChar decimalPoint)
{
    return QStringLiteral("Озвучено: %1 % площади помещения")
        .arg(calc::formatFixed(percent, 1, decimalPoint));
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
        text += QString::number(i + 1) + u';' + calc::formatFixed(at.x(), 2, decimalPoint) + u';'
            + calc::formatFixed(at.y(), 2, decimalPoint) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace plan
