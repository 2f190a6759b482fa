// The lines of a building against the "Линия" window's formulas (rooms of
// different taps on one line, an empty line, a room on no line, a room not
// computed, a line out of range), the equipment list (grouping, allowance,
// rounding up, order), and the documents written from a project: the
// workbook unpacked and the PDF read back with pdftotext.
#include "app/roomevaluation.h"
#include "calc/numberformat.h"
#include "line/linecalc.h"
#include "line/linetexts.h"
#include "plan/layout.h"
#include "project/linetable.h"
#include "project/projectlines.h"
#include "project/roomexport.h"
#include "project/roomtable.h"
#include "roomtesthelpers.h"
#include "toolrun.h"
#include "widgets/rowmark.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>

using namespace project;

namespace {

// A room of the given count and power (count x tapped power) on a line.
struct RoomLoad {
    QString line;
    double count; // 0: the room was not computed
    double power;
};

struct Built {
    Project project;
    std::vector<RoomResults> results;
};

Built build(const Line &line, const std::vector<RoomLoad> &rooms)
{
    Built b;
    b.project.lines = {line, Line{QStringLiteral("Пустая")}};
    for (const RoomLoad &load : rooms) {
        Room room;
        room.name = QStringLiteral("Комната");
        room.line = load.line;
        room.inputs.model = QStringLiteral("KE-1");
        b.project.rooms.push_back(room);
        RoomResults results;
        results.completed = load.count > 0;
        results.count = load.count;
        results.power = load.power;
        b.results.push_back(results);
    }
    return b;
}

RoomInputs ceilingRoom(const QString &model, int tap, const QString &length)
{
    return theatreCeilingRoom(model, tap, length, "8");
}

// The cells of a sheet as stored: reference -> (type, value).
QMap<QString, QPair<QString, QString>> sheetCells(const QByteArray &xml)
{
    QMap<QString, QPair<QString, QString>> cells;
    QXmlStreamReader reader(xml);
    QString reference;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("c")) {
            reference = reader.attributes().value(QLatin1String("r")).toString();
            cells[reference] = {reader.attributes().value(QLatin1String("t")).toString(), QString()};
        } else if (reader.name() == QLatin1String("v")) {
            cells[reference].second = reader.readElementText();
        }
    }
    return cells;
}

QStringList elementTexts(const QByteArray &xml, const QString &element, const QString &attribute = {})
{
    QStringList texts;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            texts << (attribute.isEmpty() ? reader.readElementText()
                                          : reader.attributes().value(attribute).toString());
    }
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<RoomLoad>)
Q_DECLARE_METATYPE(project::Line)

class ProjectLinesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void lineFiguresAreTheLineWindows_data();
    void lineFiguresAreTheLineWindows();
    void tappedPowerComesFromTheRooms();
    void cableIsRoundedUpToWholeMetres_data();
    void cableIsRoundedUpToWholeMetres();
    void equipmentListInOrder_data();
    void equipmentListInOrder();
    void workbookReadBack();
    void pdfReadBack();
    void failingLinesMarked_data();
    void failingLinesMarked();
    void equipmentSaysWhatFails_data();
    void equipmentSaysWhatFails();
    void documentsShowTheEquipmentRows();
    void thePlansCountIsCounted_data();
    void thePlansCountIsCounted();

private:
    // Two rooms on Л1 with taps 1/2 and 1/3, a room on no line.
    void fillRoomTable(ProjectRooms &table);
    const RoomEvaluation m_calculator;
};

void ProjectLinesTest::lineFiguresAreTheLineWindows_data()
{
    QTest::addColumn<Line>("line");
    QTest::addColumn<std::vector<RoomLoad>>("rooms");
    QTest::addColumn<QString>("verdict"); // empty: the formulas' own
    QTest::addColumn<int>("onNoLine");
    const Line standard{QStringLiteral("Л1")};
    // 6 W on taps 1, 1/2 and 1/3: 5 x 6, 4 x 3 and 3 x 2 W.
    QTest::newRow("different taps on one line")
        << standard << std::vector<RoomLoad>{{"Л1", 5, 30}, {"Л1", 4, 12}, {"Л1", 3, 6}} << QString() << 0;
    QTest::newRow("losses over the limit")
        << Line{"Л1", 30, 20, 400, 0.5, 1, 25} << std::vector<RoomLoad>{{"Л1", 20, 200}, {"Л1", 7, 21}}
        << QString() << 0;
    QTest::newRow("a room on no line and one on a line the project has not")
        << standard << std::vector<RoomLoad>{{"Л1", 2, 12}, {"", 9, 90}, {"Л9", 3, 3}} << QString() << 2;
    QTest::newRow("no rooms") << standard << std::vector<RoomLoad>{{"", 9, 90}} << NoLoudspeakers << 1;
    QTest::newRow("a room not computed")
        << standard << std::vector<RoomLoad>{{"Л1", 2, 12}, {"Л1", 0, 0}} << NoData << 0;
    QTest::newRow("first length beyond the last")
        << Line{"Л1", 100, 60, 50, 0.75, 1, 25} << std::vector<RoomLoad>{{"Л1", 2, 12}}
        << line::problemText(line::LineField::FirstLength) << 0;
}

void ProjectLinesTest::lineFiguresAreTheLineWindows()
{
    QFETCH(Line, line);
    QFETCH(std::vector<RoomLoad>, rooms);
    QFETCH(QString, verdict);
    QFETCH(int, onNoLine);
    const Built b = build(line, rooms);
    const std::vector<LineSummary> summaries = summariseLines(b.project, b.results, m_calculator, u',');
    QCOMPARE(summaries.size(), std::size_t(2));
    QCOMPARE(roomsOnNoLine(b.project), onNoLine);
    // The second line has no rooms whatever the first has.
    QCOMPARE(summaries[1].verdict, NoLoudspeakers);
    QVERIFY(!summaries[1].results.computed);

    const LineSummary &summary = summaries[0];
    double n = 0, power = 0;
    for (const RoomLoad &room : rooms) {
        if (room.line == line.name) {
            n += room.count;
            power += room.power;
        }
    }
    if (!verdict.isEmpty() && verdict != line::problemText(line::LineField::FirstLength)) {
        QCOMPARE(summary.verdict, verdict);
        QVERIFY(!summary.results.computed);
        return;
    }
    QCOMPARE(summary.count, n);
    QCOMPARE(summary.power, power);
    line::LineInputs in{
        line.voltage, n, power / n, line.firstLength, line.lastLength, line.section, line.allowedLoss,
        line.headroom};
    const auto outcome = line::computeLine(in);
    if (const auto *field = std::get_if<line::LineField>(&outcome)) {
        QCOMPARE(summary.verdict, line::problemText(*field));
        QCOMPARE(summary.verdict, verdict);
        QVERIFY(!summary.results.computed);
        return;
    }
    const line::LineTexts expected = line::formatLine(std::get<line::LineFigures>(outcome), u',');
    QVERIFY(summary.results.computed);
    QCOMPARE(summary.results.totalPowerText, expected.totalPower);
    QCOMPARE(summary.results.lossText, expected.lossAtLast);
    QCOMPARE(summary.results.leastSectionText, expected.leastSection);
    QCOMPARE(summary.results.longestLineText, expected.longestLine);
    QCOMPARE(summary.results.amplifierText, expected.amplifierPower);
    QCOMPARE(summary.verdict, expected.verdict);
}

void ProjectLinesTest::fillRoomTable(ProjectRooms &table)
{
    Project p;
    p.name = "Школа";
    p.lines = {Line{QStringLiteral("Л1"), 100, 10, 120, 0.5, 1, 25}};
    p.rooms.push_back({"Зал", "1", "Л1", ceilingRoom("KE-1", 2, "20"), "рядами", {}});
    p.rooms.push_back({"Класс", "2", "Л1", ceilingRoom("KE-2", 3, "9"), "рядами", {}});
    p.rooms.push_back({"Склад", "1", "", ceilingRoom("KE-1", 1, "6"), "рядами", {}});
    table.model.setProject(p);
}

void ProjectLinesTest::tappedPowerComesFromTheRooms()
{
    ProjectRooms table(m_calculator, u'.');
    fillRoomTable(table);
    LineTable lines(table.results);
    QVERIFY(table.results.at(0).completed && table.results.at(1).completed);
    // The rooms' "Мощность, Вт" is count x tapped power; the line sums it.
    const double n = table.results.at(0).count + table.results.at(1).count;
    const double power = table.results.at(0).power + table.results.at(1).power;
    QVERIFY(table.results.at(0).power / table.results.at(0).count
            != table.results.at(1).power / table.results.at(1).count);
    const line::LineInputs in{100, n, power / n, 10, 120, 0.5, 1, 25};
    const line::LineTexts expected
        = line::formatLine(std::get<line::LineFigures>(line::computeLine(in)), u'.');
    const auto column = [](const QString &caption) {
        for (std::size_t c = 0; c < lineColumns().size(); ++c) {
            if (lineColumns()[c].caption == caption)
                return int(c);
        }
        return -1;
    };
    QCOMPARE(lines.cellText(0, column("Громкоговорителей")), calc::formatGeneral(n, u'.'));
    QCOMPARE(lines.cellText(0, column("Мощность, Вт")), expected.totalPower);
    QCOMPARE(lines.cellText(0, column("Потери, дБ")), expected.lossAtLast);
    QCOMPARE(lines.cellText(0, column("Наименьшее сечение, мм²")), expected.leastSection);
    QCOMPARE(lines.cellText(0, column("Наибольшая длина, м")), expected.longestLine);
    QCOMPARE(lines.cellText(0, column("Усилитель, не менее, Вт")), expected.amplifierPower);
    QCOMPARE(lines.cellText(0, column("Вывод")), expected.verdict);
    QCOMPARE(lines.noLineText(), QString("Помещений без линии: 1"));

    // A change of a room's tap changes the line.
    RoomInputs louder = table.model.project().rooms[1].inputs;
    louder.tap = 1;
    table.model.setRoomInputs(table.model.idAt(1), louder, "рядами");
    QCOMPARE(lines.summaries()[0].power, table.results.at(0).power + table.results.at(1).power);
}

void ProjectLinesTest::cableIsRoundedUpToWholeMetres_data()
{
    QTest::addColumn<std::vector<double>>("lengths");
    QTest::addColumn<double>("allowance");
    QTest::addColumn<double>("metres");
    QTest::newRow("50 m and 10 % are 55 m, not 56") << std::vector<double>{50} << 10.0 << 55.0;
    QTest::newRow("two lines summed before rounding") << std::vector<double>{50, 100} << 10.0 << 165.0;
    QTest::newRow("33 m and 10 % round up") << std::vector<double>{33} << 10.0 << 37.0;
    QTest::newRow("no allowance") << std::vector<double>{12.2, 0.3} << 0.0 << 13.0;
    QTest::newRow("a whole sum stays") << std::vector<double>{0.1, 0.2, 0.7} << 0.0 << 1.0;
    QTest::newRow("7.5 % allowance") << std::vector<double>{40} << 7.5 << 43.0;
}

void ProjectLinesTest::cableIsRoundedUpToWholeMetres()
{
    QFETCH(std::vector<double>, lengths);
    QFETCH(double, allowance);
    QFETCH(double, metres);
    QCOMPARE(cableMetres(lengths, allowance), metres);
}

void ProjectLinesTest::equipmentListInOrder_data()
{
    QTest::addColumn<double>("allowance");
    QTest::addColumn<QStringList>("rows"); // name | quantity | unit
    QTest::newRow("10 %") << 10.0
                          << QStringList{"Громкоговоритель KE-1, потолочный|7|шт.",
                                         "Громкоговоритель GK-1, настенный|4|шт.",
                                         "Громкоговоритель KE-1, настенный|нет данных|шт.",
                                         "Кабель, сечение 0,75 мм²|165|м",
                                         "Кабель, сечение 1,5 мм²|37|м",
                                         "Усилитель (канал) для линии Л2, не менее 27 Вт|1|шт.",
                                         "Усилитель (канал) для линии Л1, не менее 15 Вт|1|шт.",
                                         "Усилитель (канал) для линии Л3, мощность: нет данных|1|шт."};
    QTest::newRow("none") << 0.0
                          << QStringList{"Громкоговоритель KE-1, потолочный|7|шт.",
                                         "Громкоговоритель GK-1, настенный|4|шт.",
                                         "Громкоговоритель KE-1, настенный|нет данных|шт.",
                                         "Кабель, сечение 0,75 мм²|150|м",
                                         "Кабель, сечение 1,5 мм²|33|м",
                                         "Усилитель (канал) для линии Л2, не менее 27 Вт|1|шт.",
                                         "Усилитель (канал) для линии Л1, не менее 15 Вт|1|шт.",
                                         "Усилитель (канал) для линии Л3, мощность: нет данных|1|шт."};
}

void ProjectLinesTest::equipmentListInOrder()
{
    QFETCH(double, allowance);
    QFETCH(QStringList, rows);
    Project p;
    p.cableAllowance = allowance;
    p.lines = {Line{"Л2", 100, 10, 50, 0.75, 1, 25}, Line{"Л1", 100, 5, 33, 1.5, 1, 25},
               Line{"Л3", 100, 10, 100, 0.75, 1, 25}};
    std::vector<RoomResults> results;
    const auto add = [&](const QString &model, calc::Mounting mounting, const QString &line, double count,
                         double power) {
        Room room;
        room.line = line;
        room.inputs.model = model;
        p.rooms.push_back(room);
        RoomResults r;
        r.mounting = mounting;
        r.completed = count > 0;
        r.count = count;
        r.power = power;
        results.push_back(r);
    };
    add("KE-1", calc::Mounting::Ceiling, "Л2", 4, 12);
    add("GK-1", calc::Mounting::Wall, "Л1", 4, 12);
    add("KE-1", calc::Mounting::Ceiling, "Л2", 3, 9);
    // Another mounting of the same model is a row of its own.
    add("KE-1", calc::Mounting::Wall, "Л3", 0, 0);
    const std::vector<LineSummary> lines = summariseLines(p, results, m_calculator, u',');
    const std::vector<EquipmentItem> items = equipmentList(p, results, lines, u',');
    QStringList shown;
    for (const EquipmentItem &item : items)
        shown << QStringList{item.name,
                             std::isfinite(item.quantity) ? calc::formatGeneral(item.quantity, u',') : NoData,
                             item.unit}
                     .join(u'|');
    QCOMPARE(shown, rows);
}

void ProjectLinesTest::workbookReadBack()
{
    ProjectRooms table(m_calculator, u',');
    fillRoomTable(table);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.xlsx");
    const files::WriteResult written = exportProject(path, table.results, "Школа");
    QVERIFY2(written.ok, qPrintable(written.error));
    const auto entry = [&](const QString &name) { return run("unzip", {"-p", path, name}); };
    QCOMPARE(elementTexts(entry("xl/workbook.xml"), "sheet", "name"),
             QStringList({"Помещения", "Линии", "Спецификация"}));
    const QStringList strings = elementTexts(entry("xl/sharedStrings.xml"), "t");
    const auto text = [&](const QPair<QString, QString> &cell) {
        return cell.first == "s" ? strings.value(cell.second.toInt()) : QString();
    };

    // The lines: the captions as the header, numbers stored as numbers in
    // the file's own notation whatever the separator shown.
    const auto lines = sheetCells(entry("xl/worksheets/sheet2.xml"));
    QStringList header;
    for (const QString column : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N"})
        header << text(lines.value(column + "1"));
    QStringList captions;
    for (const LineColumn &column : lineColumns())
        captions << column.caption;
    QCOMPARE(header, captions);
    QCOMPARE(text(lines.value("A2")), QString("Л1"));
    QCOMPARE(lines.value("B2"), qMakePair(QString(), QString("100")));
    QCOMPARE(lines.value("E2"), qMakePair(QString(), QString("0.5")));
    QCOMPARE(lines.value("H2").first, QString());
    QCOMPARE(lines.value("H2").second.toDouble(), table.results.at(0).count + table.results.at(1).count);

    // The rooms: the name a text, the number and the count numbers, the
    // floor a text as typed.
    const auto rooms = sheetCells(entry("xl/worksheets/sheet1.xml"));
    QCOMPARE(text(rooms.value("A1")), QString("№"));
    QCOMPARE(rooms.value("A3"), qMakePair(QString(), QString("2")));
    QCOMPARE(text(rooms.value("B3")), QString("Класс"));
    QCOMPARE(text(rooms.value("C3")), QString("2"));

    // The equipment list: the quantities numbers.
    const auto equipment = sheetCells(entry("xl/worksheets/sheet3.xml"));
    QCOMPARE(text(equipment.value("D1")), QString("Ед. изм."));
    QCOMPARE(text(equipment.value("B2")), QString("Громкоговоритель KE-1, потолочный"));
    QCOMPARE(equipment.value("C2").first, QString());
    QCOMPARE(equipment.value("C2").second.toDouble(), table.results.at(0).count + table.results.at(2).count);
}

void ProjectLinesTest::pdfReadBack()
{
    ProjectRooms table(m_calculator, u',');
    fillRoomTable(table);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.pdf");
    const files::WriteResult written = exportProject(path, table.results, "Школа № 5");
    QVERIFY2(written.ok, qPrintable(written.error));
    const QString text = QString::fromUtf8(run("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"}));
    QVERIFY2(text.contains("Расчет системы оповещения: Школа № 5"), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression("Дата: \\d\\d\\.\\d\\d\\.\\d{4}")));
    QVERIFY(text.contains("Класс"));
    QVERIFY(text.contains("Л1"));
    QVERIFY(text.contains("Кабель, сечение 0,5 мм²"));
    QVERIFY(text.contains(QRegularExpression("Лист 1 из \\d")));
}

// The rooms table and the lines of a project of the given lines and rooms;
// a room of length "" is not computed.
struct Tables {
    ProjectRooms rooms;
    LineTable lines;
    Tables(const RoomCalculator &calculator, const Project &project, QChar point)
        : rooms(calculator, point),
          lines((rooms.model.setProject(project), rooms.results))
    { }
};

void ProjectLinesTest::failingLinesMarked_data()
{
    QTest::addColumn<Line>("line");
    QTest::addColumn<QStringList>("lengths"); // of the rooms on the line
    QTest::addColumn<QString>("reason");      // the tool tip: empty, or the start of the verdict
    QTest::newRow("in the norm") << Line{"Л1", 100, 5, 20, 1.5, 1, 25} << QStringList{"9"} << QString();
    QTest::newRow("losses over the limit") << Line{"Л1", 30, 20, 900, 0.5, 0.5, 25} << QStringList{"20", "20"}
                                           << "Потери больше допустимых: нужно сечение";
    QTest::newRow("first length beyond the last") << Line{"Л1", 100, 60, 50, 0.75, 1, 25} << QStringList{"9"}
                                                  << line::problemText(line::LineField::FirstLength);
    QTest::newRow("a room not computed")
        << Line{"Л1", 100, 5, 20, 1.5, 1, 25} << QStringList{"9", ""} << NoData;
    QTest::newRow("no rooms, nothing to fail")
        << Line{"Л1", 100, 5, 20, 1.5, 1, 25} << QStringList{} << QString();
}

void ProjectLinesTest::failingLinesMarked()
{
    QFETCH(Line, line);
    QFETCH(QStringList, lengths);
    QFETCH(QString, reason);
    Project p;
    p.lines = {line};
    for (const QString &length : lengths)
        p.rooms.push_back({"Зал", "1", "Л1", ceilingRoom("KE-1", 1, length), "рядами", {}});
    Tables t(m_calculator, p, u',');
    const int verdict = int(lineColumns().size()) - 1;
    QCOMPARE(lineColumns()[std::size_t(verdict)].caption, QString("Вывод"));
    const QModelIndex first = t.lines.index(0, 0);
    const QString shown = t.lines.cellText(0, verdict);
    if (reason.isEmpty()) {
        QVERIFY(first.data(Qt::DecorationRole).isNull());
        QVERIFY(first.data(Qt::ToolTipRole).isNull());
        QVERIFY(first.data(Qt::AccessibleDescriptionRole).isNull());
        QVERIFY2(shown == "Потери в норме" || shown == NoLoudspeakers, qPrintable(shown));
        return;
    }
    QVERIFY2(shown.startsWith(reason), qPrintable(shown));
    // The whole verdict, however narrow "Вывод" is.
    QCOMPARE(first.data(Qt::ToolTipRole).toString(), shown);
    QCOMPARE(first.data(Qt::AccessibleDescriptionRole).toString(), shown);
    QCOMPARE(first.data(Qt::DisplayRole).toString(), QString("Л1"));
    // The mark: a red filled circle, in the first column only.
    const QIcon mark = first.data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!mark.isNull());
    const QImage image = mark.pixmap(16, 16).toImage();
    QCOMPARE(image.pixelColor(8, 8), rowmark::FailureColour);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    for (int c = 1; c < t.lines.columnCount(); ++c) {
        QVERIFY(t.lines.index(0, c).data(Qt::DecorationRole).isNull());
        QVERIFY(t.lines.index(0, c).data(Qt::ToolTipRole).isNull());
    }
}

void ProjectLinesTest::equipmentSaysWhatFails_data()
{
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("comma")
        << QChar(u',')
        << QStringList{
               "Кабель, сечение 0,75 мм² (не проходит по потерям: линии Л4, Л2)",
               "Кабель, сечение 1,5 мм²",
               "Кабель, сечение 2,5 мм² (не проходит по потерям: линии Л6)",
               "Усилитель (канал) для линии Л4, не менее 250 Вт",
               "Усилитель (канал) для линии Л1, не менее 2000 Вт",
               "Усилитель (канал) для линии Л2, не менее 2002 Вт (разделите линию на несколько каналов)",
               "Усилитель (канал) для линии Л3, не менее 2500 Вт (разделите линию на несколько каналов)",
               "Усилитель (канал) для линии Л5, мощность: нет данных",
               "Усилитель (канал) для линии Л6, не менее 63 Вт"};
    QTest::newRow("point")
        << QChar(u'.')
        << QStringList{
               "Кабель, сечение 0.75 мм² (не проходит по потерям: линии Л4, Л2)",
               "Кабель, сечение 1.5 мм²",
               "Кабель, сечение 2.5 мм² (не проходит по потерям: линии Л6)",
               "Усилитель (канал) для линии Л4, не менее 250 Вт",
               "Усилитель (канал) для линии Л1, не менее 2000 Вт",
               "Усилитель (канал) для линии Л2, не менее 2002 Вт (разделите линию на несколько каналов)",
               "Усилитель (канал) для линии Л3, не менее 2500 Вт (разделите линию на несколько каналов)",
               "Усилитель (канал) для линии Л5, мощность: нет данных",
               "Усилитель (канал) для линии Л6, не менее 63 Вт"};
}

// Lines in the project's order: Л4 failing at 0,75 mm², Л1 in the norm at
// 1,5 mm² with 1 600 W (an amplifier of 2 000 W, the largest channel), Л2
// failing at 0,75 mm² with 1 601 W (2 001,25 W, rounded up to 2 002 W), Л3 in the norm at 1,5 mm²
// with 2 000 W (2 500 W), Л5 out of range at 0,75 mm² (not a failure by
// losses) and Л6 failing at 2,5 mm².
void ProjectLinesTest::equipmentSaysWhatFails()
{
    QFETCH(QChar, point);
    QFETCH(QStringList, rows);
    Project p;
    p.lines = {Line{"Л4", 30, 20, 400, 0.75, 0.5, 25}, Line{"Л1", 100, 2, 5, 1.5, 3, 25},
               Line{"Л2", 30, 20, 400, 0.75, 0.5, 25}, Line{"Л3", 100, 2, 5, 1.5, 3, 25},
               Line{"Л5", 100, 60, 50, 0.75, 1, 25},   Line{"Л6", 30, 50, 3000, 2.5, 0.5, 25}};
    std::vector<RoomResults> results;
    const auto add = [&](const QString &line, double count, double power) {
        Room room;
        room.line = line;
        room.inputs.model = "KE-1";
        p.rooms.push_back(room);
        RoomResults r;
        r.completed = true;
        r.count = count;
        r.power = power;
        results.push_back(r);
    };
    add("Л4", 20, 200);
    add("Л1", 100, 1600);
    add("Л2", 50, 1601);
    add("Л3", 200, 2000);
    add("Л5", 2, 12);
    add("Л6", 10, 50);
    const std::vector<LineSummary> lines = summariseLines(p, results, m_calculator, point);
    // The losses the rows rest on, as the line formulas give them.
    const bool over[] = {true, false, true, false, false, true};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QCOMPARE(lossOverLimit(lines[i]), over[i]);
        QCOMPARE(lines[i].results.computed, i != 4);
    }
    QStringList shown;
    for (const EquipmentItem &item : equipmentList(p, results, lines, point)) {
        if (item.name.startsWith("Кабель") || item.name.startsWith("Усилитель"))
            shown << item.name;
    }
    QCOMPARE(shown, rows);
}

// The equipment list of the window, the workbook and the PDF: the same
// rows, the failing cable and the amplifier to split among them.
void ProjectLinesTest::documentsShowTheEquipmentRows()
{
    Project p;
    p.lines = {Line{"Л1", 30, 20, 900, 0.75, 0.5, 25}, Line{"Л2", 100, 2, 5, 1.5, 3, 1000}};
    p.rooms.push_back({"Зал", "1", "Л1", ceilingRoom("KE-1", 1, "20"), "рядами", {}});
    p.rooms.push_back({"Холл", "1", "Л2", ceilingRoom("KE-1", 1, "40"), "рядами", {}});
    Tables t(m_calculator, p, u',');
    const EquipmentTable equipment(t.lines, u',');
    QStringList names;
    for (int r = 0; r < equipment.rowCount(); ++r)
        names << equipment.cellText(r, 1);
    QVERIFY2(names.contains("Кабель, сечение 0,75 мм² (не проходит по потерям: линии Л1)"),
             qPrintable(names.join('\n')));
    const qsizetype split = names.indexOf(QRegularExpression(
        "^Усилитель \\(канал\\) для линии Л2, не менее \\d+ Вт \\(разделите линию на несколько каналов\\)$"));
    QVERIFY2(split >= 0, qPrintable(names.join('\n')));
    QVERIFY(t.lines.summaries()[1].results.amplifierPower > 2000);

    QTemporaryDir dir;
    const QString xlsx = dir.filePath("Школа.xlsx");
    QVERIFY(exportProject(xlsx, t.rooms.results, "Школа").ok);
    const QStringList strings = elementTexts(run("unzip", {"-p", xlsx, "xl/sharedStrings.xml"}), "t");
    const auto cells = sheetCells(run("unzip", {"-p", xlsx, "xl/worksheets/sheet3.xml"}));
    QStringList sheet;
    for (int r = 0; r < names.size(); ++r) {
        const auto cell = cells.value(QStringLiteral("B%1").arg(r + 2));
        sheet << (cell.first == "s" ? strings.value(cell.second.toInt()) : QString());
    }
    QCOMPARE(sheet, names);

    const QString pdf = dir.filePath("Школа.pdf");
    QVERIFY(exportProject(pdf, t.rooms.results, "Школа").ok);
    // The PDF wraps a long name in its cell: compared without line breaks.
    const QString text
        = QString::fromUtf8(run("pdftotext", {"-raw", "-enc", "UTF-8", pdf, "-"})).simplified();
    QVERIFY2(text.contains("Кабель, сечение 0,75 мм² (не проходит по потерям: линии Л1)"), qPrintable(text));
    QVERIFY2(text.contains(names[split]), qPrintable(text));
}

void ProjectLinesTest::thePlansCountIsCounted_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("length");
    for (const char *grid : {"без пропусков", "край к краю", "с полным перекрытием"})
        QTest::newRow(grid) << QString(grid) << "21";
}

void ProjectLinesTest::thePlansCountIsCounted()
{
    QFETCH(QString, layout);
    QFETCH(QString, length);
    // A room in a grid, one in rows and one whose calculation stops, on one
    // line; KE-1 on the tap 1/2 takes 3 W of its 6.
    Project p;
    p.lines = {Line{QStringLiteral("Л1"), 100, 10, 120, 0.5, 1, 25}};
    p.rooms.push_back({"Зал", "1", "Л1", ceilingRoom("KE-1", 2, length), layout, {}});
    p.rooms.push_back({"Класс", "2", "Л1", ceilingRoom("KE-1", 2, "9"), "рядами", {}});
    p.rooms.push_back({"Склад", "1", "", ceilingRoom("KE-1", 2, ""), "рядами", {}});
    ProjectRooms table(m_calculator, u'.');
    table.model.setProject(p);
    QVERIFY(table.results.at(0).completed && table.results.at(1).completed && !table.results.at(2).completed);

    // The grid as the plan window lays it out for the room.
    const RoomInputs &in = p.rooms[0].inputs;
    calc::CompletedCalculation calculation{
        calculationInputs(in, calc::localeDecimalPoint()), {}, in.model, in.roomType};
    calculation.state.areaFromLW = in.areaFromSides;
    QVERIFY(calc::calculate(calculation.inputs, calculation.state).completed);
    const plan::PlanFigures figures = plan::figuresOf(calculation);
    const plan::Layout laid = plan::layOut(study::arrangementOf(figures.mounting, layout), figures.roomL,
                                           figures.roomW, figures.radius, figures.count);
    const int onPlan = int(laid.placements.size());
    const double calculated = table.results.at(0).count;
    QVERIFY2(onPlan != calculated,
             qPrintable(QString("%1 on the plan, %2 calculated").arg(onPlan).arg(calculated)));
    QCOMPARE(table.table.cellText(0, column("Количество")), QString::number(calculated));
    QCOMPARE(table.table.cellText(0, column("На плане")), QString::number(onPlan));
    QCOMPARE(table.table.cellText(0, column("Мощность, Вт")), QString::number(onPlan * 3));
    // A plan in rows holds the calculated count; a room not calculated has
    // no plan.
    const double rows = table.results.at(1).count;
    QCOMPARE(table.table.cellText(1, column("На плане")), QString::number(rows));
    QCOMPARE(table.table.cellText(1, column("Мощность, Вт")), QString::number(rows * 3));
    QCOMPARE(table.table.cellText(2, column("На плане")), QString());
    QCOMPARE(column("На плане"), column("Количество") + 1);

    // The line carries the plans' loudspeakers, 3 W each.
    const std::vector<LineSummary> lines
        = summariseLines(table.model.project(), table.results.all(), m_calculator, u'.');
    QCOMPARE(lines[0].count, onPlan + rows);
    QCOMPARE(lines[0].power, (onPlan + rows) * 3);
    const line::LineInputs load{100, onPlan + rows, 3, 10, 120, 0.5, 1, 25};
    QCOMPARE(lines[0].results.totalPowerText,
             line::formatLine(std::get<line::LineFigures>(line::computeLine(load)), u'.').totalPower);

    // The equipment list orders them; the room not calculated leaves the
    // quantity unknown, so it goes to a project of the first two.
    Project two = table.model.project();
    two.rooms.pop_back();
    const std::vector<RoomResults> twoResults{table.results.at(0), table.results.at(1)};
    const std::vector<EquipmentItem> items
        = equipmentList(two, twoResults, summariseLines(two, twoResults, m_calculator, u'.'), u'.');
    QCOMPARE(items.front().name, QString("Громкоговоритель KE-1, потолочный"));
    QCOMPARE(items.front().quantity, onPlan + rows);
    QCOMPARE(table.results.totalsLine(),
             QString("Помещений: 3, не рассчитано: 1. Громкоговорителей: %1. Суммарная мощность: %2 Вт")
                 .arg(onPlan + rows)
                 .arg((onPlan + rows) * 3));
}

QTEST_MAIN(ProjectLinesTest)
#include "tst_project_lines.moc"
