// The lines of a building against the "Линия" window's formulas (rooms of
// different taps on one line, an empty line, a room on no line, a room not
// computed, a line out of range), the equipment list (grouping, allowance,
// rounding up, order), and the documents written from a project: the
// workbook unpacked and the PDF read back with pdftotext.
#include "app/roomevaluation.h"
#include "calc/numberformat.h"
#include "line/linecalc.h"
#include "line/linetexts.h"
#include "project/linetable.h"
#include "project/projectlines.h"
#include "project/roomexport.h"
#include "project/roomtable.h"
#include "toolrun.h"

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
    RoomInputs in;
    in.model = model;
    in.mounting = calc::Mounting::Ceiling;
    in.tap = tap;
    in.directivity = in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "ТЕАТР";
    in.height = "3";
    in.length = length;
    in.width = "8";
    in.areaFromSides = true;
    return in;
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

private:
    // Two rooms on Л1 with taps 1/2 and 1/3, a room on no line.
    void fillRoomTable(RoomTable &table);
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

void ProjectLinesTest::fillRoomTable(RoomTable &table)
{
    Project p;
    p.name = "Школа";
    p.lines = {Line{QStringLiteral("Л1"), 100, 10, 120, 0.5, 1, 25}};
    p.rooms.push_back({"Зал", "1", "Л1", ceilingRoom("KE-1", 2, "20"), "рядами"});
    p.rooms.push_back({"Класс", "2", "Л1", ceilingRoom("KE-2", 3, "9"), "рядами"});
    p.rooms.push_back({"Склад", "1", "", ceilingRoom("KE-1", 1, "6"), "рядами"});
    table.setProject(p);
}

void ProjectLinesTest::tappedPowerComesFromTheRooms()
{
    RoomTable table(m_calculator, u'.');
    fillRoomTable(table);
    LineTable lines(table);
    QVERIFY(table.results(0).completed && table.results(1).completed);
    // The rooms' "Мощность, Вт" is count x tapped power; the line sums it.
    const double n = table.results(0).count + table.results(1).count;
    const double power = table.results(0).power + table.results(1).power;
    QVERIFY(table.results(0).power / table.results(0).count
            != table.results(1).power / table.results(1).count);
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
    RoomInputs louder = table.project().rooms[1].inputs;
    louder.tap = 1;
    table.setRoomInputs(1, louder, "рядами");
    QCOMPARE(lines.summaries()[0].power, table.results(0).power + table.results(1).power);
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
    RoomTable table(m_calculator, u',');
    fillRoomTable(table);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.xlsx");
    const files::WriteResult written = exportProject(path, table, "Школа");
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
    QCOMPARE(lines.value("H2").second.toDouble(), table.results(0).count + table.results(1).count);

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
    QCOMPARE(equipment.value("C2").second.toDouble(), table.results(0).count + table.results(2).count);
}

void ProjectLinesTest::pdfReadBack()
{
    RoomTable table(m_calculator, u',');
    fillRoomTable(table);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.pdf");
    const files::WriteResult written = exportProject(path, table, "Школа № 5");
    QVERIFY2(written.ok, qPrintable(written.error));
    const QString text = QString::fromUtf8(run("pdftotext", {"-layout", "-enc", "UTF-8", path, "-"}));
    QVERIFY2(text.contains("Расчет системы оповещения: Школа № 5"), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression("Дата: \\d\\d\\.\\d\\d\\.\\d{4}")));
    QVERIFY(text.contains("Класс"));
    QVERIFY(text.contains("Л1"));
    QVERIFY(text.contains("Кабель, сечение 0,5 мм²"));
    QVERIFY(text.contains(QRegularExpression("Лист 1 из \\d")));
}

QTEST_MAIN(ProjectLinesTest)
#include "tst_project_lines.moc"
