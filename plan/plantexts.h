#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <vector>

// The texts of the plan window and its files: captions, numbers in the
// user's decimal separator, the summary line and the coordinate file.
namespace plan {

struct Placement;
enum class Arrangement;

namespace text {
// Between a number and its unit (U+00A0, written "\u00A0" in the texts), so
// that a unit never wraps away from its number.
inline constexpr QChar UnitSpace = u'\u00A0';

inline const QString WindowTitle = QStringLiteral("План размещения громкоговорителей");
inline const QString NoRoom = QStringLiteral("Для плана нужны длина и ширина помещения больше нуля");
inline const QString Arrangement = QStringLiteral("Расстановка");
inline const QString Count = QStringLiteral("Количество громкоговорителей");
inline const QString Coordinates = QStringLiteral("Координаты");
inline const QString Number = QStringLiteral("№");
inline const QString X = QStringLiteral("X, м");
inline const QString Y = QStringLiteral("Y, м");
inline const QString Save = QStringLiteral("Сохранить…");
inline const QString SaveCsv = QStringLiteral("Координаты CSV…");
inline const QString Print = QStringLiteral("Печать…");
inline const QString Loudspeaker = QStringLiteral("Громкоговоритель");
inline const QString Room = QStringLiteral("Помещение");
inline const QString Summary = QStringLiteral("Итог расстановки");
inline const QString Drawing = QStringLiteral("План помещения");
inline const QString Uncovered = QStringLiteral("Не озвучено");
inline const QString Covered = QStringLiteral("Озвучено");

// The choice of what the drawing shows, and the level view's texts.
inline const QString View = QStringLiteral("Показать");
inline const QString ZonesView = QStringLiteral("зоны");
inline const QString LevelView = QStringLiteral("уровень звука");
inline const QString LevelComputing = QStringLiteral("Расчет уровня звука…");
inline const QString NoLevel = QStringLiteral("Уровень звука: нет данных");
inline const QString LevelLegendTitle = QStringLiteral("Уровень, дБ");
// The intelligibility view and the room's surfaces it is computed for.
inline const QString StiView = QStringLiteral("разборчивость (STI)");
inline const QString StiComputing = QStringLiteral("Расчет разборчивости…");
inline const QString NoSti = QStringLiteral("Разборчивость STI: нет данных");
inline const QString StiLegendTitle = QStringLiteral("STI");
inline const QString FloorSurface = QStringLiteral("Пол");
inline const QString WallSurface = QStringLiteral("Стены");
inline const QString CeilingSurface = QStringLiteral("Потолок");
inline const QString ReverberationTime = QStringLiteral("Время реверберации, с");
inline const QString ReverberationFromSurfaces = QStringLiteral("по материалам");
} // namespace text

// The legend's entries for the contour lines: "требуемый 85\u00A0дБ" and
// "предельный 120\u00A0дБ".
QString requiredContourCaption(double level, QChar decimalPoint);
QString loudContourCaption(QChar decimalPoint);

// A band of the level legend: "85–90".
QString bandCaption(double from, double to, QChar decimalPoint);
// A band of the intelligibility legend, "0,60–0,65", and its contour line,
// "STI 0,50".
QString stiBandCaption(double from, double to, QChar decimalPoint);
QString stiContourCaption(double value, QChar decimalPoint);

// The note under a drawing that leaves out the zones' outlines (too dense,
// or zones too small to show more than their outline) or some markers (too
// dense): "Контуры зон не показаны: слишком плотно", "Громкоговорители
// показаны выборочно: слишком плотно"; empty when nothing is left out.
QString leftOutNote(bool zonesLeftOut, bool markersThinned, bool dense);

namespace text {

// The report's captions for the loudspeaker, the results and the room.
inline const QString ModelCaption = QStringLiteral("Наименование громкоговорителя");
inline const QString TypeCaption = QStringLiteral("Тип громкоговорителя");
inline const QString SplCaption = QStringLiteral("Общее звуковое давление, дБ");
inline const QString RangeCaption = QStringLiteral("Эффективная дальность, м");
inline const QString CoverCaption = QStringLiteral("Озвучиваемая площадь, м²");
inline const QString CountCaption = QStringLiteral("Необходимое кол-во громкоговорителей");
inline const QString LengthCaption = QStringLiteral("Длина помещения, м");
inline const QString WidthCaption = QStringLiteral("Ширина помещения, м");
inline const QString AreaCaption = QStringLiteral("Площадь помещения, м²");
inline const QString ResultsHeading = QStringLiteral("Результаты расчета");
inline const QString LayoutCaption = QStringLiteral("Расстановка");

// File dialogs.
inline const QString SaveTitle = QStringLiteral("Сохранить план");
inline const QString SaveCsvTitle = QStringLiteral("Сохранить координаты");
inline const QString PdfFilter = QStringLiteral("Документ PDF (*.pdf)");
inline const QString SvgFilter = QStringLiteral("Рисунок SVG (*.svg)");
inline const QString PngFilter = QStringLiteral("Рисунок PNG (*.png)");
inline const QString CsvFilter = QStringLiteral("Текст CSV (*.csv)");
inline const QString DxfFilter = QStringLiteral("Чертеж DXF (*.dxf)");
inline const QString PlanFileName = QStringLiteral("План размещения.pdf");
inline const QString CsvFileName = QStringLiteral("Координаты громкоговорителей.csv");
} // namespace text

// The question before a file is replaced: "Файл «план.pdf» уже существует.
// Заменить его?".
QString replaceQuestion(const QString &fileName);

// "Озвучено: 87,4 % площади помещения".
QString coverageLine(double percent, QChar decimalPoint);

// "Громкоговорителей на плане: N (по расчёту: Count). Озвучено: … % площади помещения".
QString summaryLine(qsizetype onPlan, double calculated, double percent, QChar decimalPoint);

// The note when an arrangement needs more loudspeakers than a plan holds:
// "Нужно громкоговорителей: 150000, а план вмещает не более 100000; на
// плане 100000" when as many as it holds are placed, "Расстановке «без
// пропусков» нужно громкоговорителей: 501264, а план вмещает не более
// 100000; план не построен" when none are; "не менее 8E+18" for a lower
// bound.
QString limitLine(Arrangement arrangement, double needed, bool atLeast, qsizetype placed, QChar decimalPoint);

// The note when a grid has no zone to space its loudspeakers by: "Для
// расстановки «край к краю» нужен радиус зоны больше нуля; план не построен".
QString noZoneLine(Arrangement arrangement);
// A grid none of whose points falls inside the outline of a room of any
// shape: "Ни один узел сетки расстановки «…» не попадает в контур
// помещения; план не построен".
QString noGridPointLine(Arrangement arrangement);

// The note when a typed count lies outside what a plan takes: "Введено
// 100001, а план вмещает от 1 до 100000 громкоговорителей; на плане
// 100000".
QString countCorrectedLine(qint64 typed, int used);

// The coordinate file: UTF-8 with a byte-order mark, the header
// "№;X, м;Y, м", one line per loudspeaker with X and Y to two decimals in
// the given separator, ";" between fields and CR LF after every line.
QByteArray csvBytes(const std::vector<Placement> &placements, QChar decimalPoint);

} // namespace plan
