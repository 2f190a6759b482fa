#include "plantexts.h"

#include "calc/numberformat.h"
#include "calc/textrules.h"
#include "layout.h"
#include "levelmap.h"

#include "widgets/exportformat.h"

#include <cmath>

namespace plan {

QString replaceQuestion(const QString &fileName)
{
    return QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(fileName);
}

QString leftOutNote(bool zonesLeftOut, bool markersThinned, bool dense)
{
    const QString reason = dense ? QStringLiteral(": слишком плотно") : QStringLiteral(": слишком мелко");
    if (zonesLeftOut && markersThinned)
        return QStringLiteral("Контуры зон не показаны, громкоговорители показаны выборочно") + reason;
    if (zonesLeftOut)
        return QStringLiteral("Контуры зон не показаны") + reason;
    if (markersThinned)
        return QStringLiteral("Громкоговорители показаны выборочно") + reason;
    return QString();
}

QString requiredContourCaption(double level, QChar decimalPoint)
{
    return QStringLiteral("требуемый %1\u00A0дБ").arg(calc::formatTrimmed(level, 1, decimalPoint));
}

QString loudContourCaption(QChar decimalPoint)
{
    return QStringLiteral("предельный %1\u00A0дБ").arg(calc::formatTrimmed(LoudestAllowed, 1, decimalPoint));
}

QString bandCaption(double from, double to, QChar decimalPoint)
{
    return calc::formatTrimmed(from, 1, decimalPoint) + u'\u2013' + calc::formatTrimmed(to, 1, decimalPoint);
}

QString stiBandCaption(double from, double to, QChar decimalPoint)
{
    return calc::formatFixed(from, 2, decimalPoint) + u'\u2013' + calc::formatFixed(to, 2, decimalPoint);
}

QString stiContourCaption(double value, QChar decimalPoint)
{
    return QStringLiteral("STI %1").arg(calc::formatFixed(value, 2, decimalPoint));
}

QString coverageLine(double percent, QChar decimalPoint)
{
    return QStringLiteral("Озвучено: %1\u00A0% площади помещения")
        .arg(calc::formatShare(percent, decimalPoint));
}

QString summaryLine(qsizetype onPlan, double calculated, double percent, QChar decimalPoint)
{
    return QStringLiteral("Громкоговорителей на плане: %1 (по расчёту: %2). %3")
        .arg(onPlan)
        .arg(calc::formatGeneral(calculated, decimalPoint), coverageLine(percent, decimalPoint));
}

QString limitLine(Arrangement arrangement, double needed, bool atLeast, qsizetype placed, QChar decimalPoint)
{
    const QString count
        = (atLeast ? QStringLiteral("не менее ") : QString()) + calc::formatGeneral(needed, decimalPoint);
    if (placed == 0)
        return QStringLiteral("Расстановке «%1» нужно громкоговорителей: %2, а план вмещает не более %3; "
                              "план не построен")
            .arg(arrangementName(arrangement), count)
            .arg(MaxLoudspeakers);
    return QStringLiteral("Нужно громкоговорителей: %1, а план вмещает не более %2; на плане %3")
        .arg(count)
        .arg(MaxLoudspeakers)
        .arg(placed);
}

QString noZoneLine(Arrangement arrangement)
{
    return QStringLiteral("Для расстановки «%1» нужен радиус зоны больше нуля; план не построен")
        .arg(arrangementName(arrangement));
}

QString noGridPointLine(Arrangement arrangement)
{
    return QStringLiteral(
               "Ни один узел сетки расстановки «%1» не попадает в контур помещения; план не построен")
        .arg(arrangementName(arrangement));
}

QString countCorrectedLine(qint64 typed, int used)
{
    return QStringLiteral("Введено %1, а план вмещает от 1 до %2 громкоговорителей; на плане %3")
        .arg(typed)
        .arg(MaxLoudspeakers)
        .arg(used);
}

QByteArray csvBytes(const std::vector<Placement> &placements, QChar decimalPoint)
{
    exportfile::CsvWriter csv;
    csv.line({text::Number, text::X, text::Y});
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const QPointF at = placements[i].position;
        csv.line({QString::number(i + 1), calc::formatFixed(at.x(), 2, decimalPoint),
                  calc::formatFixed(at.y(), 2, decimalPoint)});
    }
    return csv.bytes();
}

} // namespace plan
