// The intelligibility of the "Объект" window's rooms: the surfaces and the
// typed reverberation time in the project file (written only where they are
// not the defaults, refused with the room's number), the columns "Время
// реверберации, с", "STI, среднее" and "STI не ниже 0,50, %" against the
// map of the room's plan computed here and a reverberation time worked out
// by hand, and the surfaces and the time edited in place and undone.
#include "recordingmessenger.h"
#include "roomtesthelpers.h"

#include "app/roomevaluation.h"
#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "plan/intelligibility.h"
#include "plan/planfigures.h"
#include "plan/planscene.h"
#include "project/floorcontent.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QFile>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <cmath>
#include <memory>

using namespace project;

namespace {

// A shop of ceiling loudspeakers, 12 x 8 x 3 m.
RoomInputs shop(const QString &length = "12", const QString &width = "8")
{
    RoomInputs in = theatreCeilingRoom("KE-1", 1, length, width);
    in.roomType = "МАГАЗИН";
    return in;
}

Room room(const QString &floor, const QString &walls, const QString &ceiling, const QString &reverberation)
{
    Room r{"Зал", "1", "", shop(), "рядами"};
    r.floorSurface = floor;
    r.wallsSurface = walls;
    r.ceilingSurface = ceiling;
    r.reverberation = reverberation;
    return r;
}

// Absorption at 500 and 1000 Hz of the materials the tests use.
QPair<double, double> absorption(const QString &material)
{
    if (material == u"линолеум")
        return {0.03, 0.03};
    if (material == u"штукатурка")
        return {0.03, 0.03};
    if (material == u"акустический потолок")
        return {0.53, 0.75};
    if (material == u"ковролин")
        return {0.08, 0.20};
    return {qQNaN(), qQNaN()};
}

// Eyring's time of a box L x W x H, the mean of its 500 and 1000 Hz bands.
double eyring(double length, double width, double height, const Room &r)
{
    const double floorArea = length * width;
    const double walls = 2.0 * (length + width) * height;
    const double surface = 2.0 * floorArea + walls;
    const auto band = [&](double floor, double wall, double ceiling) {
        const double a = (floorArea * floor + walls * wall + floorArea * ceiling) / surface;
        return 0.161 * floorArea * height / (-surface * std::log(1.0 - a));
    };
    const auto f = absorption(r.floorSurface);
    const auto w = absorption(r.wallsSurface);
    const auto c = absorption(r.ceilingSurface);
    return (band(f.first, w.first, c.first) + band(f.second, w.second, c.second)) / 2.0;
}

// The intelligibility map of the room's plan computed here from the
// calculation: the calculated count laid out in rows, the room's height,
// noise and surfaces.
std::optional<plan::StiSummary> expectedSti(const Room &r)
{
    calc::CompletedCalculation calculation{
        calculationInputs(r.inputs, calc::localeDecimalPoint()), {}, r.inputs.model, r.inputs.roomType};
    calculation.state.areaFromLW = r.inputs.areaFromSides;
    if (!calc::calculate(calculation.inputs, calculation.state).completed)
        return std::nullopt;
    const plan::PlanFigures figures = plan::figuresOf(calculation);
    const plan::Layout layout = plan::layOut(plan::Arrangement::Rows, figures.roomL, figures.roomW,
                                             figures.radius, std::round(figures.count));
    plan::StiInputs in;
    in.level = plan::levelInputs(figures, layout.placements);
    in.surfaces.floor = r.floorSurface;
    in.surfaces.walls = r.wallsSurface;
    in.surfaces.ceiling = r.ceilingSurface;
    if (!r.reverberation.isEmpty())
        in.surfaces.reverberationTime = r.reverberation.toDouble();
    in.height = figures.roomHeight;
    in.noise = figures.noise;
    // The plan window's map: the table shows its figures.
    const std::optional<plan::StiMap> map = plan::stiMap(in);
    if (!map)
        return std::nullopt;
    return plan::summarize(*map);
}

const QString Reverberation = QStringLiteral("Время реверберации, с");
const QString StiMean = QStringLiteral("STI, среднее");
const QString StiShare = QStringLiteral("STI не ниже 0,50, %");

// The room's results once the background has computed them.
bool waitForFigures(const RoomResultsService &results)
{
    return QTest::qWaitFor([&] { return !results.levelsPending(); }, 60000);
}

} // namespace

Q_DECLARE_METATYPE(project::Room)
Q_DECLARE_METATYPE(project::RoomResults)

class ProjectStiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QLocale::setDefault(QLocale::c()); }
    void fileKeepsTheSurfaces_data();
    void fileKeepsTheSurfaces();
    void fileRefusesBadSurfaces_data();
    void fileRefusesBadSurfaces();
    void columnsAfterTheBackground_data();
    void columnsAfterTheBackground();
    void editedInPlaceAndUndone();
    void floorTints_data();
    void floorTints();

private:
    RoomEvaluation m_calculator;
};

void ProjectStiTest::fileKeepsTheSurfaces_data()
{
    QTest::addColumn<Room>("room");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("defaults: as before")
        << room("линолеум", "штукатурка", "штукатурка", "")
        << QByteArray("\"layout\": \"рядами\",\n      \"count\": \"calculated\",\n      \"results\"");
    QTest::newRow("a carpet")
        << room("ковролин", "штукатурка", "штукатурка", "")
        << QByteArray("\"layout\": \"рядами\",\n      \"count\": \"calculated\",\n      \"surfaces\": {\n"
                      "        \"floor\": \"ковролин\",\n"
                      "        \"walls\": \"штукатурка\",\n"
                      "        \"ceiling\": \"штукатурка\"\n      },\n"
                      "      \"results\"");
    QTest::newRow("a typed time alone")
        << room("линолеум", "штукатурка", "штукатурка", "1.8")
        << QByteArray("\"layout\": \"рядами\",\n      \"count\": \"calculated\",\n"
                      "      \"reverberation\": 1.8,\n      \"results\"");
    QTest::newRow("both") << room("бетон", "стекло", "зрители, 2 чел./м²", "0.65")
                          << QByteArray("\"ceiling\": \"зрители, 2 чел./м²\"\n      },\n"
                                        "      \"reverberation\": 0.65,\n      \"results\"");
}

void ProjectStiTest::fileKeepsTheSurfaces()
{
    QFETCH(Room, room);
    QFETCH(QByteArray, written);
    Project p;
    p.rooms = {room, room};
    p.rooms.back().name = "Склад";
    const QByteArray bytes = projectBytes(p, {});
    QVERIFY2(bytes.contains(written), bytes.constData());
    const ReadResult read = parseProject(bytes);
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(read.project->rooms, p.rooms);
    QCOMPARE(projectBytes(*read.project, {}), bytes);
}

void ProjectStiTest::fileRefusesBadSurfaces_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("reason");
    QTest::newRow("an unknown material")
        << QByteArray(R"("surfaces": {"floor": "мрамор", "walls": "бетон", "ceiling": "бетон"},)")
        << "Помещение 2: неизвестный материал «мрамор» в поле «floor»";
    QTest::newRow("a material in another case")
        << QByteArray(R"("surfaces": {"floor": "бетон", "walls": "Бетон", "ceiling": "бетон"},)")
        << "Помещение 2: неизвестный материал «Бетон» в поле «walls»";
    QTest::newRow("a number for a material")
        << QByteArray(R"("surfaces": {"ceiling": 3},)") << "Помещение 2: поле «ceiling» должно быть строкой";
    QTest::newRow("surfaces as a list")
        << QByteArray(R"("surfaces": ["бетон"],)") << "Помещение 2: поле «surfaces» должно быть объектом";
    for (const char *seconds : {"0", "-1.5", "\"1.5\"", "null", "true"})
        QTest::newRow(seconds) << QByteArray("\"reverberation\": ") + seconds + ","
                               << "Помещение 2: поле «reverberation» должно быть числом больше 0";
    QTest::newRow("a material left out keeps the default")
        << QByteArray(R"("surfaces": {"walls": "бетон"}, "reverberation": 2,)") << QString();
}

void ProjectStiTest::fileRefusesBadSurfaces()
{
    QFETCH(QByteArray, keys);
    QFETCH(QString, reason);
    Project p;
    p.rooms = {room("линолеум", "штукатурка", "штукатурка", ""),
               room("линолеум", "штукатурка", "штукатурка", "")};
    QByteArray bytes = projectBytes(p, {});
    const QByteArray layout = "\"layout\": \"рядами\",";
    const qsizetype second = bytes.indexOf(layout, bytes.indexOf(layout) + 1);
    QVERIFY(second > 0);
    bytes.insert(second + layout.size(), keys);
    const ReadResult read = parseProject(bytes);
    QCOMPARE(read.reason, reason);
    if (reason.isEmpty()) {
        const Room &r = read.project->rooms.back();
        QCOMPARE(r.floorSurface, QString("линолеум"));
        QCOMPARE(r.wallsSurface, QString("бетон"));
        QCOMPARE(r.ceilingSurface, QString("штукатурка"));
        QCOMPARE(r.reverberation, QString("2"));
    }
}

void ProjectStiTest::columnsAfterTheBackground_data()
{
    QTest::addColumn<Room>("room");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("reverberation"); // empty: Eyring's, worked out here
    QTest::newRow("acoustic ceiling")
        << room("линолеум", "штукатурка", "акустический потолок", "") << QChar(u',') << QString();
    QTest::newRow("the defaults") << room("линолеум", "штукатурка", "штукатурка", "") << QChar(u'.')
                                  << QString();
    QTest::newRow("carpet, point") << room("ковролин", "штукатурка", "акустический потолок", "")
                                   << QChar(u'.') << QString();
    QTest::newRow("a typed time") << room("линолеум", "штукатурка", "акустический потолок", "1.8")
                                  << QChar(u',') << QString("1,8");
    QTest::newRow("a typed time, point")
        << room("ковролин", "штукатурка", "штукатурка", "0.45") << QChar(u'.') << QString("0.45");
}

void ProjectStiTest::columnsAfterTheBackground()
{
    QFETCH(Room, room);
    QFETCH(QChar, point);
    QFETCH(QString, reverberation);
    const std::optional<plan::StiSummary> expected = expectedSti(room);
    QVERIFY(expected);
    ProjectRooms rooms(m_calculator, point);
    Project p;
    p.rooms.push_back(room);
    rooms.model.setProject(p);
    const auto cell = [&](const QString &caption) { return rooms.table.index(0, column(caption)); };
    // "…" while the background computes, but for a typed time.
    QCOMPARE(cell(StiMean).data().toString(), QString("…"));
    QCOMPARE(cell(StiMean).data(Qt::AccessibleTextRole).toString(), QString("вычисляется"));
    QCOMPARE(cell(StiShare).data().toString(), QString("…"));
    QCOMPARE(cell(Reverberation).data().toString(), reverberation.isEmpty() ? QString("…") : reverberation);
    QVERIFY(waitForFigures(rooms.results));

    const double time = reverberation.isEmpty() ? eyring(12, 8, 3, room) : room.reverberation.toDouble();
    QCOMPARE(cell(Reverberation).data().toString(),
             reverberation.isEmpty() ? calc::formatFixed(time, 2, point) : reverberation);
    QVERIFY(std::abs(cell(Reverberation).data(RoomTable::SortRole).toDouble() - time) < 1e-9);
    QVERIFY(expected->mean > 0.2 && expected->mean < 0.9);
    QCOMPARE(cell(StiMean).data().toString(), calc::formatFixed(expected->mean, 2, point));
    QCOMPARE(cell(StiMean).data(Qt::AccessibleTextRole).toString(), cell(StiMean).data().toString());
    QCOMPARE(cell(StiShare).data().toString(), calc::formatShare(expected->contourShare, point));
    QCOMPARE(cell(StiMean).data(RoomTable::SortRole).toDouble(), expected->mean);
    QCOMPARE(cell("Пол").data().toString(), room.floorSurface);
    QCOMPARE(cell("Стены").data().toString(), room.wallsSurface);
    QCOMPARE(cell("Потолок").data().toString(), room.ceilingSurface);

    // A room that stops has none of them.
    p.rooms.front().inputs.length.clear();
    rooms.model.setProject(p);
    QVERIFY(!rooms.results.at(0).completed);
    QCOMPARE(cell(StiMean).data().toString(), QString());
    QCOMPARE(cell(StiShare).data().toString(), QString());
    QCOMPARE(cell(Reverberation).data().toString(), reverberation);
}

void ProjectStiTest::editedInPlaceAndUndone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Магазин.lsplan");
    Project p;
    p.rooms.push_back(room("линолеум", "штукатурка", "штукатурка", ""));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(projectBytes(p, {})) > 0);
    file.close();
    RecordingMessenger messages;
    auto w = std::make_unique<ProjectWindow>(m_calculator, &messages);
    QVERIFY(w->openFile(path));
    RoomTable *table = w->table();
    const QChar point = w->results()->decimalPoint();
    QVERIFY(waitForFigures(*w->results()));
    const QString plain = table->cellText(0, column(StiMean));

    // The ceiling is one of the materials, picked from a list named as
    // its column.
    const int ceiling = column("Потолок");
    const QModelIndex cell = table->index(0, ceiling);
    QVERIFY(table->flags(cell) & Qt::ItemIsEditable);
    QWidget parent;
    QAbstractItemDelegate *delegate = w->view()->itemDelegateForColumn(ceiling);
    QVERIFY(delegate);
    std::unique_ptr<QWidget> editor(delegate->createEditor(&parent, QStyleOptionViewItem(), cell));
    auto *box = qobject_cast<QComboBox *>(editor.get());
    QVERIFY(box);
    QCOMPARE(box->accessibleName(), QString("Потолок"));
    QStringList offered;
    for (int i = 0; i < box->count(); ++i)
        offered << box->itemText(i);
    QCOMPARE(offered, calc::materialNames());
    QCOMPARE(offered.size(), 10);

    table->setData(cell, "акустический потолок");
    QCOMPARE(w->undoStack()->count(), 1);
    QCOMPARE(w->model()->project().rooms.front().ceilingSurface, QString("акустический потолок"));
    QCOMPARE(table->cellText(0, column(StiMean)), QString("…"));
    QVERIFY(waitForFigures(*w->results()));
    const std::optional<plan::StiSummary> absorbing = expectedSti(w->model()->project().rooms.front());
    QVERIFY(absorbing);
    QCOMPARE(table->cellText(0, column(StiMean)), calc::formatFixed(absorbing->mean, 2, point));
    QVERIFY(table->cellText(0, column(StiMean)) != plain);

    // A time typed with either separator, kept with a point; a text that
    // is no time above 0 is not taken and the status bar says why.
    const int time = column(Reverberation);
    table->setData(table->index(0, time), " 1,25 ");
    QCOMPARE(w->undoStack()->count(), 2);
    QCOMPARE(w->model()->project().rooms.front().reverberation, QString("1.25"));
    QCOMPARE(table->cellText(0, time), QString("1") + point + "25");
    for (const char *wrong : {"0", "-2", "две"}) {
        table->setData(table->index(0, time), wrong);
        QCOMPARE(w->undoStack()->count(), 2);
        QCOMPARE(w->statusBar()->currentMessage(),
                 QString("Значение «Время реверберации, с» должно быть числом больше 0"));
    }
    QVERIFY(waitForFigures(*w->results()));

    // Undone, the figures known before come back at once.
    w->undoStack()->undo();
    QCOMPARE(w->model()->project().rooms.front().reverberation, QString());
    QCOMPARE(table->cellText(0, column(StiMean)), calc::formatFixed(absorbing->mean, 2, point));
    w->undoStack()->undo();
    QCOMPARE(w->model()->project().rooms.front().ceilingSurface, QString("штукатурка"));
    QCOMPARE(table->cellText(0, column(StiMean)), plain);
    w->discardProject();
}

// The floor view's tints by level and by intelligibility: each judges by
// its own share against the project's, grey without its figures.
void ProjectStiTest::floorTints_data()
{
    QTest::addColumn<RoomResults>("results");
    QTest::addColumn<double>("target");
    QTest::addColumn<int>("byLevel");
    QTest::addColumn<int>("bySti");
    const auto results = [](double requiredShare, std::optional<double> stiShare) {
        RoomResults r;
        r.completed = true;
        r.requiredShare = requiredShare;
        r.tooLoudShare = 0.0;
        r.requiredLevel = 80.0;
        r.stiShare = stiShare;
        return r;
    };
    const int met = int(FloorVerdict::Met);
    const int shortOf = int(FloorVerdict::Short);
    const int noData = int(FloorVerdict::NoData);
    QTest::newRow("both met") << results(100, 100) << 95.0 << met << met;
    QTest::newRow("loud enough, not understood") << results(100, 40) << 95.0 << met << shortOf;
    QTest::newRow("understood, not loud enough") << results(60, 96) << 95.0 << shortOf << met;
    QTest::newRow("STI exactly the share") << results(60, 95) << 95.0 << shortOf << met;
    QTest::newRow("STI at 60 of 50") << results(60, 60) << 50.0 << met << met;
    QTest::newRow("no STI") << results(100, std::nullopt) << 95.0 << met << noData;
    RoomResults pending = results(100, 100);
    pending.levelsPending = true;
    QTest::newRow("figures pending") << pending << 95.0 << noData << noData;
    RoomResults stopped = results(100, 100);
    stopped.completed = false;
    QTest::newRow("calculation stopped") << stopped << 95.0 << noData << noData;
}

void ProjectStiTest::floorTints()
{
    QFETCH(RoomResults, results);
    QFETCH(double, target);
    QFETCH(int, byLevel);
    QFETCH(int, bySti);
    QCOMPARE(int(floorVerdict(results, target, FloorTint::Level)), byLevel);
    QCOMPARE(int(floorVerdict(results, target, FloorTint::Intelligibility)), bySti);
}

QTEST_MAIN(ProjectStiTest)
#include "tst_project_sti.moc"
