#pragma once

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

// The text report of the last calculation: one fixed block of lines.
namespace output {

// The labels of the report lines. Each is the label's words padded with
// spaces, then "-" and two spaces, 50 characters in all, so that every value
// starts in column 51; the installation-height label alone is 40 characters
// long and puts its value in column 41.
namespace label {
inline const QString Model = QStringLiteral("Наименование громкоговорителя                  -  ");
inline const QString Type = QStringLiteral("Тип громкоговорителя                           -  ");
inline const QString Power = QStringLiteral("Мощность громкоговорителя, Вт                  -  ");
inline const QString Sensitivity = QStringLiteral("Чувствительность громковорителя, дБ            -  ");
inline const QString Directivity = QStringLiteral("Диаграмма направленности, Град                 -  ");
inline const QString Horizontal = QStringLiteral("Диаграмма направленности горизонтальная, Град  -  ");
inline const QString Vertical = QStringLiteral("Диаграмма направленности вертикальная,   Град  -  ");
inline const QString Margin = QStringLiteral("Уровень перекрытия шума, дБ                    -  ");
inline const QString ListenHeight = QStringLiteral("Высота точки прослушивания, см                 -  ");
inline const QString RoomType = QStringLiteral("Тип помещения                                  -  ");
inline const QString Noise = QStringLiteral("Уровень шума помещения, дБ                     -  ");
inline const QString Ceiling = QStringLiteral("Высота   потолков, м                           -  ");
inline const QString InstallHeight = QStringLiteral("Высота установки громкоговорителя, м -  ");
inline const QString Length = QStringLiteral("Длина   помещения, м                           -  ");
inline const QString Width = QStringLiteral("Ширина  помещения, м                           -  ");
inline const QString Area = QStringLiteral("Площадь помещения, м2                          -  ");
inline const QString Spl = QStringLiteral("Общее звуковое давление, дБ                    -  ");
inline const QString Range = QStringLiteral("Эффективная дальность, м                       -  ");
inline const QString Cover = QStringLiteral("Озвучиваемая площадь, м2                       -  ");
inline const QString Count = QStringLiteral("Необходимое кол-во громкоговорителей           -  ");

// Every label whose value starts in column 51 (all but InstallHeight).
inline const QStringList FullWidth = {
    Model, Type,    Power,  Sensitivity, Directivity, Horizontal, Vertical, Margin, ListenHeight, RoomType,
    Noise, Ceiling, Length, Width,       Area,        Spl,        Range,    Cover,  Count,
};
} // namespace label

inline const QString InputHeading = QStringLiteral("ВХОДНЫЕ ДАННЫЕ");
inline const QString OutputHeading = QStringLiteral("ВЫХОДНЫЕ ДАННЫЕ");

// The word of the mounting type on the report's type line; both horns are
// "Рупорный".
using calc::mountingWord;

// The lines of one report block, without line ends: the stored values of
// the last calculation, the current texts of the model and room-type combos
// and the current mounting type. Numbers use the general format with the
// given decimal point. 25 lines, 26 for the square horn.
QStringList reportLines(const calc::CalcState &state, calc::Mounting mounting, const QString &model,
                        const QString &roomType, QChar decimalPoint);

// The exact bytes of one report block: the lines in Windows-1251, each
// (the last included) ended by CR LF, no byte-order mark.
QByteArray reportBlock(const calc::CalcState &state, calc::Mounting mounting, const QString &model,
                       const QString &roomType, QChar decimalPoint);

// The text in Windows-1251, one byte per character; every character that
// code page cannot hold (a CJK letter, a symbol, an emoji, a lone surrogate)
// becomes one "?".
QByteArray toWindows1251(QStringView text);

} // namespace output
