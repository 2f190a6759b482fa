// The rooms table's level map figures, "Мин. уровень, дБ" and "Не ниже
// требуемого, %": each against the map of the room's plan computed here
// from the calculation, for every mounting type; "…" while the background
// computes them; empty for a room whose calculation stops or whose plan
// would exceed what a plan holds; in the CSV and the workbook, which never
// wait for the background; and the background stopped at once when the
// table or its project goes.
#include "app/roomevaluation.h"
#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"
#include "plan/planscene.h"
#include "project/roomexport.h"
#include "project/roomtable.h"
#include "roomtesthelpers.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

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
    const plan::Layout layout_ = plan::layOut(study::arrangementOf(figures.mounting, layout), figures.roomL,
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
    void planBeyondTheLimitHasNoFigures_data();
    void planBeyondTheLimitHasNoFigures();
    void cancelStopsAHugeMap();
    void tableStopsItsHugeMap_data();
    void tableStopsItsHugeMap();
    void progressCountsTheRows();
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
    ProjectRooms table(m_calculator, point);
    Project p;
    p.rooms.push_back({"Помещение", "1", "", inputs, layout, {}});
    table.model.setProject(p);
    const bool completes = table.results.at(0).completed;
    const QModelIndex lowest = table.table.index(0, column(Lowest));
    const QModelIndex share = table.table.index(0, column(Share));
    if (completes) {
        // Shown at once, the map still to come.
        QCOMPARE(lowest.data().toString(), QString("…"));
        QCOMPARE(share.data(Qt::AccessibleTextRole).toString(), QString("вычисляется"));
        QVERIFY(table.results.levelsPending());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!table.results.levelsPending(), 20000);

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
    p.rooms.push_back({"Зал", "1", "", ceiling, "рядами", {}});
    p.rooms.push_back({"Коридор", "1", "", stopped, "на одной стене", {}});
    const std::optional<plan::LevelSummary> expected = expectedSummary(ceiling, "рядами");
    QVERIFY(expected);
    const QString lowest = calc::formatFixed(expected->lowest, 1, u',');
    const QString share = calc::formatShare(expected->requiredShare, u',');

    // Written straight after opening: the figures are computed first.
    ProjectRooms table(m_calculator, u',');
    table.model.setProject(p);
    const QStringList lines = QString::fromUtf8(csvBytes(table.results)).split("\r\n");
    QVERIFY(!table.results.levelsPending());
    QVERIFY2(lines.value(0).contains(
                 ";Озвучено, %;Мин. уровень, дБ;Не ниже требуемого, %;Проверка;Пол;Стены;Потолок;"
                 "Время реверберации, с;STI, среднее;STI не ниже 0,50, %;Замечание"),
             qPrintable(lines.value(0)));
    const QString covered = table.table.cellText(0, column("Озвучено, %"));
    QVERIFY(!covered.isEmpty());
    // The verdict of the map's own figures on 95 % of the floor.
    const QString verdict = expected->requiredShare >= 95.0 && expected->tooLoudShare <= 0.0
        ? QStringLiteral("выполнено;")
        : QStringLiteral("не выполнено: %1 % площади не ниже ").arg(share);
    QVERIFY2(lines.value(1).contains(QStringLiteral(";%1;%2;%3;%4").arg(covered, lowest, share, verdict)),
             qPrintable(lines.value(1)));
    // The intelligibility as the table shows it.
    QStringList sti;
    for (const char *caption : {"Время реверберации, с", "STI, среднее", "STI не ниже 0,50, %"})
        sti << table.table.cellText(0, column(caption));
    QVERIFY(!sti.contains(QString()) && !sti.contains("…"));
    QVERIFY2(lines.value(1).endsWith(";линолеум;штукатурка;штукатурка;" + sti.join(';') + ';'),
             qPrintable(lines.value(1)));
    QVERIFY2(lines.value(2).endsWith(";;;;линолеум;штукатурка;штукатурка;;;;Введите длину помещения"),
             qPrintable(lines.value(2)));

    ProjectRooms fresh(m_calculator, u',');
    fresh.model.setProject(p);
    QTemporaryDir dir;
    const QString path = dir.filePath("Школа.xlsx");
    const files::WriteResult written = exportProject(path, fresh.results, "Школа");
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

namespace {

// The calculated count of a room, as the main window shows it.
double calculatedCount(const RoomInputs &inputs)
{
    calc::CompletedCalculation calculation{
        calculationInputs(inputs, calc::localeDecimalPoint()), {}, inputs.model, inputs.roomType};
    calculation.state.areaFromLW = inputs.areaFromSides;
    return calc::calculate(calculation.inputs, calculation.state).completed ? calculation.state.count : -1.0;
}

// A ceiling hall whose plan in rows holds 86 268 loudspeakers of wide
// beams, which reach far: its map takes far longer than these tests wait.
RoomInputs hugeHall()
{
    RoomInputs in = room("KE-1", calc::Mounting::Ceiling, "", "", "3.3", "3500", "3500");
    in.directivity = "150";
    return in;
}

} // namespace

void ProjectLevelsTest::planBeyondTheLimitHasNoFigures_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("start"); // the note's start; the count follows it
    QTest::addColumn<bool>("counted");  // the count is the calculation's own
    QTest::newRow("rows") << "рядами"
                          << "Расстановке «рядами» нужно громкоговорителей: " << true;
    QTest::newRow("grid without gaps") << "без пропусков"
                                       << "Расстановке «без пропусков» нужно громкоговорителей: " << false;
    QTest::newRow("edge to edge grid") << "край к краю"
                                       << "Расстановке «край к краю» нужно громкоговорителей: " << false;
}

// A room of 3000 x 3000 m needs 818 182 loudspeakers, more than a plan's
// 100 000: it gets no plan figures, nothing to compute in the background,
// and its note says what the plan window says, with the count needed.
void ProjectLevelsTest::planBeyondTheLimitHasNoFigures()
{
    QFETCH(QString, layout);
    QFETCH(QString, start);
    QFETCH(bool, counted);
    const RoomInputs square = room("KE-1", calc::Mounting::Ceiling, "", "", "3.3", "3000", "3000");
    QCOMPARE(calculatedCount(square), 818182.0);
    ProjectRooms table(m_calculator, u',');
    Project p;
    p.rooms.push_back({"Ангар", "1", "", square, layout, {}});
    table.model.setProject(p);
    const RoomResults &r = table.results.at(0);
    QVERIFY(r.completed);
    QVERIFY(!r.covered);
    QVERIFY(!table.results.levelsPending());
    QCOMPARE(table.results.levelProgressLine(), QString());
    for (const char *caption : {"Озвучено, %", "Мин. уровень, дБ", "Не ниже требуемого, %"})
        QCOMPARE(table.table.cellText(0, column(caption)), QString());
    QCOMPARE(table.table.cellText(0, column("Количество")), QString("818182"));
    // No plan, nothing on it: the power is the calculated count's, 6 W each.
    QCOMPARE(table.table.cellText(0, column("На плане")), QString());
    QCOMPARE(table.table.cellText(0, column("Мощность, Вт")), QString("4909092"));
    QVERIFY(table.results.totalsLine().contains("Громкоговорителей: 818182."));
    const QString note = table.table.cellText(0, column("Замечание"));
    const QString end = ", а план вмещает не более 100000; план не построен";
    QVERIFY2(note.startsWith(start) && note.endsWith(end), qPrintable(note));
    const QString needed = note.mid(start.size(), note.size() - start.size() - end.size());
    if (counted) {
        QCOMPARE(needed, QString("818182"));
    } else {
        // A grid of discs needs at least as many as the calculated count.
        const QString number = QString(needed).remove("не менее ");
        bool ok = false;
        QVERIFY2(number.toDouble(&ok) > 100000 && ok, qPrintable(needed));
    }
    // The level figures of such a room are none, without a map.
    const RoomLevels levels = m_calculator.evaluateLevels(square, layout, {});
    QVERIFY(!levels.lowest && !levels.requiredShare);
}

// A cancel stops the map of 90 000 loudspeakers within half a second and
// gives no figures.
void ProjectLevelsTest::cancelStopsAHugeMap()
{
    const RoomInputs hall = hugeHall();
    const double count = calculatedCount(hall);
    QVERIFY2(count > 80000 && count <= 100000, qPrintable(QString::number(count)));
    std::atomic<bool> cancel{false};
    std::atomic<std::chrono::steady_clock::rep> cancelledAt{0};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        cancelledAt = std::chrono::steady_clock::now().time_since_epoch().count();
        cancel = true;
    });
    const RoomLevels levels = m_calculator.evaluateLevels(hall, "рядами", {}, &cancel);
    const auto returnedAt = std::chrono::steady_clock::now().time_since_epoch().count();
    stopper.join();
    QVERIFY(cancel);
    const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::duration(returnedAt - cancelledAt));
    qInfo("The map stopped %lld ms after the cancel", qlonglong(late.count()));
    QVERIFY(!levels.lowest && !levels.requiredShare);
    QVERIFY(late.count() < 500);
}

void ProjectLevelsTest::tableStopsItsHugeMap_data()
{
    QTest::addColumn<bool>("destroyed"); // else a new project replaces it
    QTest::newRow("table destroyed") << true;
    QTest::newRow("project replaced") << false;
}

// The table's background stops its map within half a second of the table's
// end or of a new project: the destructor, and the completion of a new
// project without maps of its own, wait for no more than that. Its threads
// run below the others' priority: on a machine busy with other processes
// they get a small share of a core, which in the unoptimised, instrumented
// build of the sanitizers stretches the last step before the flag is seen
// to over half a second (the whole map takes far longer there).
void ProjectLevelsTest::tableStopsItsHugeMap()
{
    QFETCH(bool, destroyed);
    auto table = std::make_unique<ProjectRooms>(m_calculator, u',');
    Project p;
    p.rooms.push_back({"Ангар", "1", "", hugeHall(), "рядами", {}});
    table->model.setProject(p);
    QVERIFY(table->results.levelsPending());
    QCOMPARE(table->results.levelProgressLine(), QString("Расчет уровней: 0 из 1"));
    // The background is well into the map.
    QTest::qWait(300);
    QVERIFY(table->results.levelsPending());
    QElapsedTimer clock;
    clock.start();
    if (destroyed) {
        table.reset();
    } else {
        Project stopped;
        stopped.rooms.push_back({"Коридор",
                                 "1",
                                 "",
                                 room("GK-1", calc::Mounting::Wall, "", "", "3", "", "9"),
                                 "на одной стене",
                                 {}});
        table->model.setProject(stopped);
        table->results.completeLevels();
        QVERIFY(!table->results.levelsPending());
    }
    const qint64 waited = clock.elapsed();
    qInfo("Waited %lld ms for the map to stop", qlonglong(waited));
#ifdef __SANITIZE_ADDRESS__
    constexpr qint64 Limit = 3000;
#else
    constexpr qint64 Limit = 500;
#endif
    QVERIFY(waited < Limit);
}

// "Расчет уровней: done из needed" counts the rows whose maps are done out
// of the rows that have a plan (equal rooms, computed once, count for each
// of their rows; a stopped room has no plan); empty once all are done.
void ProjectLevelsTest::progressCountsTheRows()
{
    const RoomInputs small = room("KE-1", calc::Mounting::Ceiling, "", "", "3", "12.5", "8");
    const RoomInputs stopped = room("GK-1", calc::Mounting::Wall, "", "", "3", "", "9");
    Project p;
    for (const char *name : {"101", "102", "103"})
        p.rooms.push_back({name, "1", "", small, "рядами", {}});
    p.rooms.push_back({"Коридор", "1", "", stopped, "на одной стене", {}});
    p.rooms.push_back({"Ангар", "1", "", hugeHall(), "рядами", {}});
    ProjectRooms table(m_calculator, u',');
    table.model.setProject(p);
    QCOMPARE(table.results.levelProgressLine(), QString("Расчет уровней: 0 из 4"));
    QTRY_VERIFY_WITH_TIMEOUT(table.results.levelProgress().done == 3, 20000);
    QCOMPARE(table.results.levelProgress().needed, 4);
    QCOMPARE(table.results.levelProgressLine(), QString("Расчет уровней: 3 из 4"));
    QVERIFY(table.results.at(4).levelsPending);
    // Without the hall, nothing is left to compute.
    table.model.takeRoom(table.model.idAt(4));
    QVERIFY(!table.results.levelsPending());
    QCOMPARE(table.results.levelProgressLine(), QString());
    QCOMPARE(table.results.totalsLine().left(34), QString("Помещений: 4, не рассчитано: 1. Гр"));
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
    p.rooms.push_back({"Магазин", "1", "", shop, "рядами", {}});
    ProjectRooms table(m_calculator, u',');
    table.model.setProject(p);
    QTRY_VERIFY_WITH_TIMEOUT(!table.results.levelsPending(), 20000);
    QCOMPARE(table.table.cellText(0, column(Lowest)), QString("74,9"));
    QCOMPARE(table.table.cellText(0, column(Share)), QString("99,9"));
    QVERIFY(QString::fromUtf8(csvBytes(table.results)).split("\r\n").value(1).contains(";74,9;99,9;"));

    QTemporaryDir dir;
    const QString path = dir.filePath("Магазин.xlsx");
    const files::WriteResult written = exportProject(path, table.results, "Магазин");
    QVERIFY2(written.ok, qPrintable(written.error));
    const QByteArray sheet = unzipped(path, "xl/worksheets/sheet1.xml");
    // Stored as the number shown, which a spreadsheet shows as 99,9 too.
    const QPair<QString, QString> stored = sheetCell(sheet, columnLetter(column(Share)) + "2");
    QCOMPARE(stored.first, QString());
    QCOMPARE(stored.second.toDouble(), 99.9);
}

QTEST_GUILESS_MAIN(ProjectLevelsTest)
#include "tst_project_levels.moc"
