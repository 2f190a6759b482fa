#include "helptexts.h"

#include <QStringList>

namespace output {

QString helpText()
{
    // Trailing spaces on lines 6 to 9 are part of the text: lines 6-7 and
    // 9-10 are one sentence each, broken over two lines.
    static const QStringList lines = {
        QStringLiteral("Площадь озвучиваемая одним громкоговорителем расчитываются исходя из:"),
        QStringLiteral("Потолочные: Площадь круга на высоте 1,5 метра (по умолчанию), при угле раскрыва "
                       "громкоговорителя 90 град(по умолчанию)."),
        QStringLiteral("Настенные : Проекция площади сектора на высоту 1,5 метра (по умолчанию), при угле "
                       "раскрыва громкоговорителя 120 град(по умолчанию)."),
        QStringLiteral("Рупорные (круг) : Элипс на высоте 1,5 метра (по умолчанию), при угле раскрыва "
                       "громкоговорителя 40 град (по умолчанию)."),
        QStringLiteral("Рупорные (квадрат) : Трапеция на высоте 1,5 метра (по умолчанию), при угле раскрыва "
                       "громкоговорителя 60 град (по умолчанию)."),
        QStringLiteral("Количество громкоговорителей - это площадь помещения деленая на площадь, "),
        QStringLiteral("озвучиваемую одним громкоговорителем, "),
        QStringLiteral("Для коридоров количество будет зависить от диаграммы направленности. "),
        QStringLiteral("Эффективная дальность - это расстояние от громкоговорителя, "),
        QStringLiteral("на котором уровень сигнала больше уровня шума на 10 дБ (по умолчанию)."),
        QStringLiteral("Уровни шумов в списке указаны с возможным разбросом 5 дБ."),
        QStringLiteral("В ДАННОЙ ВЕРСИИ УЧТЕН МИНИМАЛЬНЫЙ УРОВЕНЬ"),
        QStringLiteral("ЗВУКОВОГО ДАВЛЕНИЯ ПО НПБ 75ДБ"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

QString aboutText()
{
    static const QStringList lines = {
        QStringLiteral("Расчет громкоговорителей (версия 4)"),
        QStringLiteral("Звуковое давление, эффективная дальность, озвучиваемая площадь "
                       "и количество громкоговорителей для помещения."),
        QStringLiteral("Распространяется по лицензии MIT."),
        QStringLiteral("По всем вопросам обращаться:"),
        QStringLiteral("через трекер задач проекта (см. файл README)."),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace output
