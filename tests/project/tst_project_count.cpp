// The count on a room's plan ("На плане"): the calculation's, the fitted
// one or a number set; the lines, the equipment list and the totals
// follow it. "По уровню" against a fit found here by trying every count on
// the room's own level maps; "Проверка" against the figures it judges;
// "Подобрать по уровню" as one undo step, its "Отмена" changing nothing;
// "На плане" and "Требуемая доля площади, %" edited in the window.
#include "app/roomevaluation.h"
#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"
#include "plan/planscene.h"
#include "project/projectcommands.h"
#include "project/projectlines.h"
#include "project/projectwindow.h"
#include "project/roomtable.h"
#include "recordingmessenger.h"
#include "roomtesthelpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <cmath>

using namespace project;

Q_DECLARE_METATYPE(project::RoomResults)

namespace {

RoomInputs shopRoom(calc::Mounting mounting, const QString &height, const QString &length,
                    const QString &width)
{
    RoomInputs in;
    // A model of no catalogue: its typed power (6 W) and sensitivity apply.
    in.model = "ПРОЧИЕ";
    in.modelFromList = false;
    in.mounting = mounting;
    in.power = "6";
    in.sensitivity = "90";
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

Room roomOf(const RoomInputs &inputs, const QString &layout, PlanCount count = {}, const QString &line = "Л1")
{
    Room room;
    room.name = "Зал";
    room.floor = "1";
    room.line = line;
    room.inputs = inputs;
    room.layout = layout;
    room.count = count;
    return room;
}

// The level map's summary of the room's arrangement with count
// loudspeakers, and the required level, straight from the calculation and
// the plan's formulas.
struct Judged {
    plan::LevelSummary summary;
    double required = 0.0;
};
Judged judge(const RoomInputs &inputs, const QString &layout, int count)
{
    calc::CompletedCalculation calculation{
        calculationInputs(inputs, calc::localeDecimalPoint()), {}, inputs.model, inputs.roomType};
    calculation.state.areaFromLW = inputs.areaFromSides;
    if (!calc::calculate(calculation.inputs, calculation.state).completed)
        return {};
    const plan::PlanFigures figures = plan::figuresOf(calculation);
    const plan::Layout placed = plan::layOut(study::arrangementOf(figures.mounting, layout), figures.roomL,
                                             figures.roomW, figures.radius, count);
    const std::optional<plan::LevelMap> map = plan::levelMap(plan::levelInputs(figures, placed.placements));
    return {map ? plan::summarize(*map, figures.requiredLevel) : plan::LevelSummary{}, figures.requiredLevel};
}

bool meets(const Judged &judged, double share)
{
    return judged.summary.requiredShare >= share && judged.summary.tooLoudShare <= 0.0;
}

RoomResults judgedResults(double requiredShare, double tooLoud, double required)
{
    RoomResults r;
    r.completed = true;
    r.covered = 100.0;
    r.requiredShare = requiredShare;
    r.tooLoudShare = tooLoud;
    r.lowestLevel = 70.0;
    r.requiredLevel = required;
    return r;
}

} // namespace

class ProjectCountTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void linesAndEquipmentFollowThePlan_data();
    void linesAndEquipmentFollowThePlan();
    void verdictTexts_data();
    void verdictTexts();
    void fitColumnIsTheLeastCountThatMeetsTheRules_data();
    void fitColumnIsTheLeastCountThatMeetsTheRules();
    void fitActionIsOneUndoStep();
    void cancellingTheFitChangesNothing();
    void planCountEditedInPlace_data();
    void planCountEditedInPlace();
    void targetShareIsEditedAndUndone();

private:
    RoomEvaluation m_calculator;
};

void ProjectCountTest::linesAndEquipmentFollowThePlan_data()
{
    QTest::addColumn<int>("fixed"); // 0: the calculation's count
    QTest::newRow("calculated") << 0;
    QTest::newRow("3") << 3;
    QTest::newRow("17") << 17;
}

void ProjectCountTest::linesAndEquipmentFollowThePlan()
{
    QFETCH(int, fixed);
    const RoomInputs in = shopRoom(calc::Mounting::Ceiling, "3", "16", "10");
    ProjectRooms rooms(m_calculator, u',');
    Project p;
    p.lines.push_back({"Л1"});
    p.rooms = {roomOf(in, "рядами", fixed ? PlanCount::fixed(fixed) : PlanCount{})};
    rooms.model.setProject(p);
    const RoomResults &r = rooms.results.at(0);
    QVERIFY(r.completed);
    const int expected = fixed ? fixed : int(std::lround(r.count));
    QCOMPARE(r.planned, std::optional<int>(expected));
    // 6 W each on the full tap.
    QCOMPARE(r.power, 6.0 * expected);
    QCOMPARE(rooms.table.cellText(0, column("На плане")), QString::number(expected));
    const std::vector<LineSummary> lines
        = summariseLines(rooms.model.project(), rooms.results.all(), m_calculator, u',');
    QCOMPARE(lines.front().count, double(expected));
    const std::vector<EquipmentItem> items
        = equipmentList(rooms.model.project(), rooms.results.all(), lines, u',');
    QVERIFY(!items.empty());
    QCOMPARE(items.front().quantity, double(expected));
    QVERIFY(rooms.results.totalsLine().contains(QStringLiteral("Громкоговорителей: %1.").arg(expected)));
}

void ProjectCountTest::verdictTexts_data()
{
    QTest::addColumn<RoomResults>("results");
    QTest::addColumn<double>("target");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("all of the floor") << judgedResults(100, 0, 80) << 95.0 << "выполнено";
    QTest::newRow("exactly the share") << judgedResults(95, 0, 80) << 95.0 << "выполнено";
    QTest::newRow("short of the share")
        << judgedResults(78.46, 0, 80) << 95.0 << "не выполнено: 78,5 % площади не ниже 80 дБ";
    QTest::newRow("short of 100") << judgedResults(99.99, 0, 75) << 100.0
                                  << "не выполнено: 99,9 % площади не ниже 75 дБ";
    QTest::newRow("a cell too loud") << judgedResults(100, 0.2, 90) << 95.0 << "не выполнено: выше 120 дБ";
    QTest::newRow("met at 50") << judgedResults(60, 0, 80) << 50.0 << "выполнено";
    RoomResults pending = judgedResults(100, 0, 80);
    pending.levelsPending = true;
    QTest::newRow("map pending") << pending << 95.0 << "";
    RoomResults stopped = judgedResults(100, 0, 80);
    stopped.completed = false;
    QTest::newRow("calculation stopped") << stopped << 95.0 << "";
    RoomResults noMap = judgedResults(100, 0, 80);
    noMap.requiredShare.reset();
    QTest::newRow("no map") << noMap << 95.0 << "";
}

void ProjectCountTest::verdictTexts()
{
    QFETCH(RoomResults, results);
    QFETCH(double, target);
    QFETCH(QString, verdict);
    QCOMPARE(verdictText(results, target, u','), verdict);
    QCOMPARE(meetsRules(results, target).has_value(), !verdict.isEmpty());
}

void ProjectCountTest::fitColumnIsTheLeastCountThatMeetsTheRules_data()
{
    QTest::addColumn<RoomInputs>("inputs");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<double>("share");
    QTest::newRow("ceiling, rows, 95 %")
        << shopRoom(calc::Mounting::Ceiling, "3", "16", "10") << "рядами" << 95.0;
    QTest::newRow("ceiling, rows, 60 %")
        << shopRoom(calc::Mounting::Ceiling, "3", "16", "10") << "рядами" << 60.0;
    QTest::newRow("wall, one wall") << shopRoom(calc::Mounting::Wall, "3", "12", "6") << "на одной стене"
                                    << 95.0;
}

void ProjectCountTest::fitColumnIsTheLeastCountThatMeetsTheRules()
{
    QFETCH(RoomInputs, inputs);
    QFETCH(QString, layout);
    QFETCH(double, share);
    ProjectRooms rooms(m_calculator, u',');
    Project p;
    p.targetShare = share;
    // The same room twice: as calculated and in level mode; and as a grid.
    p.rooms = {roomOf(inputs, layout), roomOf(inputs, layout, {PlanCount::Kind::Level, 0})};
    if (inputs.mounting == calc::Mounting::Ceiling)
        p.rooms.push_back(roomOf(inputs, "без пропусков"));
    rooms.model.setProject(p);
    QCOMPARE(rooms.table.cellText(0, column("По уровню")), QString("…"));
    QTRY_VERIFY_WITH_TIMEOUT(!rooms.results.levelsPending(), 60000);

    // The least count that meets the rules, tried one by one.
    int least = 0;
    for (int n = 1; n <= 200 && least == 0; ++n) {
        if (meets(judge(inputs, layout, n), share))
            least = n;
    }
    QVERIFY(least > 0);
    QCOMPARE(rooms.table.cellText(0, column("По уровню")), QString::number(least));
    QCOMPARE(rooms.table.cellText(1, column("По уровню")), QString::number(least));
    QCOMPARE(rooms.table.cellText(1, column("На плане")), QString::number(least));
    if (p.rooms.size() > 2)
        QCOMPARE(rooms.table.cellText(2, column("По уровню")), QString("—"));

    // Each plan's verdict is its own map's, with its own count.
    for (int row = 0; row < 2; ++row) {
        const int count = rooms.results.at(row).planned.value();
        const Judged judged = judge(inputs, layout, count);
        const QString verdict = meets(judged, share)
            ? QString("выполнено")
            : QStringLiteral("не выполнено: %1 % площади не ниже %2 дБ")
                  .arg(calc::formatShare(judged.summary.requiredShare, u','))
                  .arg(calc::formatFixed(judged.required, 0, u','));
        QCOMPARE(rooms.table.cellText(row, column("Проверка")), verdict);
    }
    QCOMPARE(rooms.table.cellText(1, column("Проверка")), QString("выполнено"));
    // A failing plan is marked as a room that cannot be computed is.
    for (int row = 0; row < 2; ++row) {
        const bool failing = rooms.table.cellText(row, column("Проверка")) != "выполнено";
        QCOMPARE(rooms.table.data(rooms.table.index(row, 0), Qt::DecorationRole).isValid(), failing);
    }
}

void ProjectCountTest::fitActionIsOneUndoStep()
{
    RecordingMessenger messenger;
    ProjectWindow window(m_calculator, &messenger);
    Project p;
    const RoomInputs ceiling = shopRoom(calc::Mounting::Ceiling, "3", "16", "10");
    p.rooms = {roomOf(ceiling, "рядами"), roomOf(ceiling, "без пропусков"),
               roomOf(shopRoom(calc::Mounting::Wall, "3", "12", "6"), "на одной стене", PlanCount::fixed(4))};
    window.model()->setProject(p);
    QVERIFY(window.fitByLevelButton());
    QCOMPARE(window.fitByLevelButton()->accessibleName(), QString("Подобрать по уровню"));
    // None selected: every room whose arrangement takes a count.
    window.fitByLevel();
    QCOMPARE(window.undoStack()->count(), 1);
    using Kind = PlanCount::Kind;
    QCOMPARE(window.model()->room(0).count.kind, Kind::Level);
    QCOMPARE(window.model()->room(1).count.kind, Kind::Calculated);
    QCOMPARE(window.model()->room(2).count.kind, Kind::Level);
    QVERIFY2(window.statusBar()->currentMessage().endsWith(" из 2 помещений"),
             qPrintable(window.statusBar()->currentMessage()));
    window.undoStack()->undo();
    QCOMPARE(window.model()->room(0).count.kind, Kind::Calculated);
    QCOMPARE(window.model()->room(2).count, PlanCount::fixed(4));
    window.undoStack()->redo();
    QCOMPARE(window.model()->room(0).count.kind, Kind::Level);
    // One room selected: counted in the genitive singular after "из".
    window.view()->selectRow(2);
    window.fitByLevel();
    QVERIFY2(window.statusBar()->currentMessage().endsWith(" из 1 помещения"),
             qPrintable(window.statusBar()->currentMessage()));
    QVERIFY(messenger.shown.empty());
}

void ProjectCountTest::cancellingTheFitChangesNothing()
{
    RecordingMessenger messenger;
    const RoomEvaluation calculator; // no fits known yet
    ProjectWindow window(calculator, &messenger);
    Project p;
    // A hall whose fit takes a while.
    p.rooms = {roomOf(shopRoom(calc::Mounting::Ceiling, "4", "200", "100"), "рядами")};
    window.model()->setProject(p);
    // "Отмена" clicked as soon as the dialog shows.
    bool cancelled = false;
    QString accessibleName;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, &window, [&] {
        auto *dialog = window.findChild<QProgressDialog *>("FitProgress");
        if (cancelled || !dialog || !dialog->isVisible())
            return;
        accessibleName = dialog->accessibleName();
        auto *cancel = dialog->findChild<QPushButton *>();
        QCOMPARE(cancel->text(), QString("Отмена"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        cancelled = true;
    });
    watcher.start(10);
    window.fitByLevel();
    watcher.stop();
    QVERIFY(cancelled);
    QCOMPARE(accessibleName, QString("Подбор по уровню"));
    QCOMPARE(window.undoStack()->count(), 0);
    QCOMPARE(window.model()->room(0).count.kind, PlanCount::Kind::Calculated);
}

void ProjectCountTest::planCountEditedInPlace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind"); // -1: refused
    QTest::addColumn<int>("number");
    using Kind = PlanCount::Kind;
    QTest::newRow("по уровню") << "по уровню" << int(Kind::Level) << 0;
    QTest::newRow("7") << "7" << int(Kind::Fixed) << 7;
    QTest::newRow(" 12 ") << " 12 " << int(Kind::Fixed) << 12;
    QTest::newRow("100000") << "100000" << int(Kind::Fixed) << 100000;
    QTest::newRow("0") << "0" << -1 << 0;
    QTest::newRow("100001") << "100001" << -1 << 0;
    QTest::newRow("2,5") << "2,5" << -1 << 0;
    QTest::newRow("много") << "много" << -1 << 0;
}

void ProjectCountTest::planCountEditedInPlace()
{
    QFETCH(QString, typed);
    QFETCH(int, kind);
    QFETCH(int, number);
    RecordingMessenger messenger;
    ProjectWindow window(m_calculator, &messenger);
    Project p;
    const RoomInputs ceiling = shopRoom(calc::Mounting::Ceiling, "3", "16", "10");
    p.rooms = {roomOf(ceiling, "рядами", PlanCount::fixed(5)), roomOf(ceiling, "без пропусков")};
    window.model()->setProject(p);
    RoomTable *table = window.table();
    const int onPlan = column("На плане");
    // A grid fixes its own count.
    QVERIFY(!(table->flags(table->index(1, onPlan)) & Qt::ItemIsEditable));
    QVERIFY(!table->setData(table->index(1, onPlan), "7"));
    QVERIFY(table->flags(table->index(0, onPlan)) & Qt::ItemIsEditable);
    QCOMPARE(table->data(table->index(0, onPlan), Qt::EditRole).toString(), QString("5"));

    table->setData(table->index(0, onPlan), typed);
    if (kind < 0) {
        QCOMPARE(window.undoStack()->count(), 0);
        QCOMPARE(window.model()->room(0).count, PlanCount::fixed(5));
        QCOMPARE(window.statusBar()->currentMessage(),
                 QString("На плане: «по расчету», «по уровню» или целое число от 1 до 100000"));
        return;
    }
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(int(window.model()->room(0).count.kind), kind);
    QCOMPARE(window.model()->room(0).count.number, number);
    if (kind == int(PlanCount::Kind::Fixed))
        QCOMPARE(table->cellText(0, onPlan), QString::number(number));
    // Back to the calculation's count.
    table->setData(table->index(0, onPlan), "по расчету");
    QCOMPARE(window.model()->room(0).count, PlanCount{});
    QCOMPARE(table->cellText(0, onPlan), QString::number(std::lround(window.results()->at(0).count)));
    window.undoStack()->undo();
    window.undoStack()->undo();
    QCOMPARE(window.model()->room(0).count, PlanCount::fixed(5));
}

void ProjectCountTest::targetShareIsEditedAndUndone()
{
    RecordingMessenger messenger;
    ProjectWindow window(m_calculator, &messenger);
    QLineEdit *box = window.targetShareBox();
    QVERIFY(box);
    QCOMPARE(box->accessibleName(), QString("Требуемая доля площади, %"));
    QCOMPARE(box->text(), QString::number(95));
    box->setText("97,5");
    window.applyTargetShare();
    QCOMPARE(window.model()->project().targetShare, 97.5);
    QCOMPARE(window.undoStack()->count(), 1);
    QCOMPARE(window.targetShareLabel()->text(),
             QString("Требуемая доля площади: 97") + calc::localeDecimalPoint() + QString("5 %"));
    box->setText("49");
    window.applyTargetShare();
    QCOMPARE(window.model()->project().targetShare, 97.5);
    QCOMPARE(messenger.texts(), QStringList{"Требуемая доля площади — число от 50 до 100"});
    window.undoStack()->undo();
    QCOMPARE(window.model()->project().targetShare, 95.0);
    QCOMPARE(box->text(), QString::number(95));
}

QTEST_MAIN(ProjectCountTest)
#include "tst_project_count.moc"
