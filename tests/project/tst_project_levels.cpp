// The rooms table's level map figures, "Мин. уровень, дБ" and "Не ниже
// требуемого, %": each against the map of the room's plan computed here
// from the calculation, for every mounting type; "…" while the background
// computes them; empty for a room whose calculation stops; and in the CSV
// and the workbook, which never wait for the background.
#include "app/roomevaluation.h"
#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"
#include "plan/planscene.h"
#include "project/roomexport.h"
#include "project/roomtable.h"
#include "roomtesthelpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>

using namespace project;

namespace {

const QString Lowest = QStringLiteral("Мин. уровень, дБ");
const QString Share = QStringLiteral("Не ниже требуемого, %");

RoomInputs room(const QString &model, calc::Mounting mounting, const QString &power,
                const QString &sensitivity, const QString &height, const QString &length,
                const QString &width)
{
    RoomInputs in;
    in.model = model;
    in.mounting = mounting;
    in.power = power;
    in.sensitivity = sensitivity;
    in.directivity = in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "МАГАЗИН";
    in.height = height;
    in.length = length;
    in.width = width;
    in.areaFromSides = true;
    return in;
}

// The map's summary for the room's plan, computed from the calculation
// alone: the layout named, the calculated count, the required level.
std::optional<plan::LevelSummary> expectedSummary(const RoomInputs &inputs, const QString &layout)
{
    calc::CompletedCalculation calculation{
        calculationInputs(inputs, calc::localeDecimalPoint()), {}, inputs.model, inputs.roomType};
    calculation.state.areaFromLW = inputs.areaFromSides;
    if (!calc::calculate(calculation.inputs, calculation.state).completed)
        return std::nullopt;
    const plan::PlanFigures figures = plan::figuresOf(calculation);
    const plan::Layout layout_ = plan::layOut(arrangementOf(figures.mounting, layout), figures.roomL,
                                              figures.roomW, figures.radius, std::round(figures.count));
    const std::optional<plan::LevelMap> map = plan::levelMap(plan::levelInputs(figures, layout_.placements));
    if (!map)
        return std::nullopt;
    return plan::summarize(*map, figures.requiredLevel);
}

QByteArray unzipped(const QString &path, const QString &entry)
{
    QProcess process;
    process.start("unzip", {"-p", path, entry});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

// A sheet's cell as stored: its type ("s" a text, "" a number) and value.
QPair<QString, QString> sheetCell(const QByteArray &xml, const QString &reference)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != QLatin1String("c")
            || reader.attributes().value(QLatin1String("r")) != reference)
            continue;
        const QString type = reader.attributes().value(QLatin1String("t")).toString();
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("v"))
                return {type, reader.readElementText()};
        }
    }
    return {};
}

QString columnLetter(int column)
{
    return QString(QChar(u'A' + column));
}

} // namespace

Q_DECLARE_METATYPE(project::RoomInputs)

class ProjectLevelsTest : public QObject {
    Q_OBJECT
private slots:
    void figuresAreTheRoomsLevelMap_data();
    void figuresAreTheRoomsLevelMap();
    void csvAndWorkbookHoldEveryFigure();
    void shareShortOfTheWholeIsNotTheWhole();

private:
    RoomEvaluation m_calculator;
};

void ProjectLevelsTest::figuresAreTheRoomsLevelMap_data()
{
    using M = calc::Mounting;
    QTest::addColumn<RoomInputs>("inputs");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QChar>("point");
    QTest::newRow("ceiling, rows") << room("KE-1", M::Ceiling, "", "", "3", "12.5", "8") << "рядами"
                                   << QChar(u',');
    QTest::newRow("ceiling, no gaps")
        << room("KE-1", M::Ceiling, "", "", "3.5", "20", "9") << "без пропусков" << QChar(u'.');
    QTest::newRow("wall, one wall") << room("ПРОЧИЕ", M::Wall, "20", "96", "3.5", "18", "9")
                                    << "на одной стене" << QChar(u',');
    QTest::newRow("round horn, two walls")
        << horn(room("Рупор-К", M::RoundHorn, "30", "104", "6", "30", "15"), "60", "40", "20")
        << "на двух стенах" << QChar(u'.');
    QTest::newRow("square horn, one wall")
        << horn(room("Рупор-Х", M::SquareHorn, "50", "104", "6", "25", "12"), "50", "40", "15")
        << "на одной стене" << QChar(u',');
    QTest::newRow("stops without a length")
        << room("GK-1", M::Wall, "", "", "3", "", "9") << "на одной стене" << QChar(u',');
}

void ProjectLevelsTest::figuresAreTheRoomsLevelMap()
{
    QFETCH(RoomInputs, inputs);
    QFETCH(QString, layout);
    QFETCH(QChar, point);
    QVERIFY(m_calculator.layoutAllowed(m_calculator.evaluate(inputs, layout).mounting, layout));
    RoomTable table(m_calculator, point);
    Project p;
    p.rooms.push_back({"Помещение", "1", "", inputs, layout});
    table.setProject(p);
    const bool completes = table.results(0).completed;
    const QModelIndex lowest = table.index(0, column(Lowest));
    const QModelIndex share = table.index(0, column(Share));
    if (completes) {
        // Shown at once, the map still to come.
        QCOMPARE(lowest.data().toString(), QString("…"));
        QCOMPARE(share.data(Qt::AccessibleTextRole).toString(), QString("вычисляется"));
        QVERIFY(table.levelsPending());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!table.levelsPending(), 20000);

    const std::optional<plan::LevelSummary> expected = expectedSummary(inputs, layout);
    QCOMPARE(expected.has_value(), completes);
    if (!completes) {
        QCOMPARE(lowest.data().toString(), QString());
        QCOMPARE(share.data().toString(), QString());
        QCOMPARE(lowest.data(RoomTable::SortRole).toDouble(), -HUGE_VAL);
        return;
    }
    QCOMPARE(lowest.data().toString(), calc::formatFixed(expected->lowest, 1, point));
    QCOMPARE(share.data().toString(), calc::formatShare(expected->requiredShare, point));
    QCOMPARE(share.data(Qt::AccessibleTextRole).toString(), share.data().toString());
    // Sorted by the numbers themselves.
    QCOMPARE(lowest.data(RoomTable::SortRole).toDouble(), expected->lowest);
    QCOMPARE(share.data(RoomTable::SortRole).toDouble(), expected->requiredShare);
    QVERIFY(expected->requiredShare >= 0 && expected->requiredShare <= 100);
}

void ProjectLevelsTest::csvAndWorkbookHoldEveryFigure()
{
    const RoomInputs ceiling = room("KE-1", calc::Mounting::Ceiling, "", "", "3", "12.5", "8");
    const RoomInputs stopped = room("GK-1", calc::Mounting::Wall, "", "", "3", "", "9");
    Project p;
    p.rooms.push_back({"Зал", "1", "", ceiling, "рядами"});
    p.rooms.push_back({"Коридор", "1", "", stopped, "на одной стене"});
    const std::optional<plan::LevelSummary> expected = expectedSummary(ceiling, "рядами");
    QVERIFY(expected);
    const QString lowest = calc::formatFixed(expected->lowest, 1, u',');
    const QString share = calc::formatShare(expected->requiredShare, u',');

    // Written straight after opening: the figures are computed first.
    RoomTable table(m_calculator, u',');
    table.setProject(p);
    const QStringList lines = QString::fromUtf8(csvBytes(table)).split("\r\n");
    QVERIFY(!table.levelsPending());
    QVERIFY2(lines.value(0).contains(";Озвучено, %;Мин. уровень, дБ;Не ниже требуемого, %;Замечание"),
             qPrintable(lines.value(0)));
    const QString covered = table.cellText(0, column("Озвучено, %"));
    QVERIFY(!covered.isEmpty());
    QVERIFY2(lines.value(1).endsWith(QStringLiteral(";%1;%2;%3;").arg(covered, lowest, share)),
             qPrintable(lines.value(1)));
    QVERIFY2(lines.value(2).endsWith(";;;;Введите длину помещения"), qPrintable(lines.value(2)));

    RoomTable fresh(m_calculator, u',');
    fresh.setProject(p);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.xlsx");
    const files::WriteResult written = exportProject(path, fresh, "Школа");
    QVERIFY2(written.ok, qPrintable(written.error));
    const QByteArray sheet = unzipped(path, "xl/worksheets/sheet1.xml");
    QVERIFY(!sheet.isEmpty());
    const auto number = [&](const QString &caption, int row) {
        return sheetCell(sheet, columnLetter(column(caption)) + QString::number(row));
    };
    // Numbers, as shown to one decimal.
    QCOMPARE(number(Lowest, 2).first, QString());
    QVERIFY(std::abs(number(Lowest, 2).second.toDouble() - expected->lowest) <= 0.05 + 1e-9);
    QCOMPARE(number(Share, 2).first, QString());
    QVERIFY(std::abs(number(Share, 2).second.toDouble() - expected->requiredShare) <= 0.05 + 1e-9);
    // The stopped room has no figure at all.
    QCOMPARE(number(Lowest, 3).second, QString());
}

// A shop of 8 x 8 m under a ceiling of 3,5 m: the lowest cell of its map is
// below the required 75 dB, so "Не ниже требуемого, %" is short of 100 in
// the table, the CSV and the workbook alike.
void ProjectLevelsTest::shareShortOfTheWholeIsNotTheWhole()
{
    const RoomInputs shop = room("KE-1", calc::Mounting::Ceiling, "", "", "3.5", "8", "8");
    const std::optional<plan::LevelSummary> expected = expectedSummary(shop, "рядами");
    QVERIFY(expected);
    QVERIFY2(expected->lowest < 75.0 && expected->requiredShare > 99.95,
             qPrintable(QString::number(expected->requiredShare)));
    Project p;
    p.rooms.push_back({"Магазин", "1", "", shop, "рядами"});
    RoomTable table(m_calculator, u',');
    table.setProject(p);
    QTRY_VERIFY_WITH_TIMEOUT(!table.levelsPending(), 20000);
    QCOMPARE(table.cellText(0, column(Lowest)), QString("74,9"));
    QCOMPARE(table.cellText(0, column(Share)), QString("99,9"));
    QVERIFY(QString::fromUtf8(csvBytes(table)).split("\r\n").value(1).contains(";74,9;99,9;"));

    QTemporaryDir dir;
    const QString path = dir.filePath("Магазин.xlsx");
    const files::WriteResult written = exportProject(path, table, "Магазин");
    QVERIFY2(written.ok, qPrintable(written.error));
    const QByteArray sheet = unzipped(path, "xl/worksheets/sheet1.xml");
    // Stored as the number shown, which a spreadsheet shows as 99,9 too.
    const QPair<QString, QString> stored = sheetCell(sheet, columnLetter(column(Share)) + "2");
    QCOMPARE(stored.first, QString());
    QCOMPARE(stored.second.toDouble(), 99.9);
}

QTEST_GUILESS_MAIN(ProjectLevelsTest)
#include "tst_project_levels.moc"
