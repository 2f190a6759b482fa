// The import of a floor's rooms: the overlap that matches a room of a floor
// imported again, what a kept room keeps, the new rooms made from the
// template, the one undo step, the plans in the file.
#include "project/floorimport.h"
#include "project/projectfile.h"
#include "project/projectmodel.h"

#include <QUndoStack>
#include <QtTest>

using project::FloorImport;
using project::ImportedRoom;
using project::ProjectModel;
using project::Room;

namespace {

calc::Shape rect(double x, double y, double w, double h)
{
    return calc::Shape::fromOutline({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
}

project::RoomTemplate roomTemplate()
{
    project::RoomTemplate t;
    t.inputs.model = "GK-1";
    t.inputs.noise = "70";
    t.inputs.roomType = "АВТОСТОЯНКА";
    t.inputs.height = "3,5";
    t.layout = "рядами";
    return t;
}

const std::vector<project::ListedRoomType> Types{
    {"СПОРТЗАЛ", "75"}, {"ТЕАТР", "40"}, {"Ж Д СТАНЦИЯ", "90"}, {"ПАРК", "50"}, {"МАГАЗИН", "30"}};

// A floor "1" imported once: the rooms of the plan through the import.
void importOnce(ProjectModel &model, const std::vector<ImportedRoom> &rooms)
{
    const FloorImport import
        = project::planFloorImport(model, rooms, roomTemplate(), {"1", "plan.dxf", "mm", "ROOMS"}, Types);
    project::applyFloorImport(model, import, false);
}

} // namespace

class TestFloorImport : public QObject {
    Q_OBJECT
private slots:
    void overlap_data()
    {
        QTest::addColumn<calc::Shape>("a");
        QTest::addColumn<calc::Shape>("b");
        QTest::addColumn<double>("area");
        QTest::newRow("apart") << rect(0, 0, 2, 2) << rect(5, 0, 2, 2) << 0.0;
        QTest::newRow("touching") << rect(0, 0, 2, 2) << rect(2, 0, 2, 2) << 0.0;
        QTest::newRow("half") << rect(0, 0, 4, 2) << rect(2, 0, 4, 2) << 4.0;
        QTest::newRow("inside") << rect(0, 0, 10, 10) << rect(3, 3, 2, 1) << 2.0;
        QTest::newRow("L and square")
            << calc::Shape::fromOutline({{0, 0}, {6, 0}, {6, 2}, {2, 2}, {2, 6}, {0, 6}}) << rect(1, 1, 4, 4)
            << 1.0 * 4 + 1.0 * 3; // the strip 1..5 x 1..2 and 1..2 x 2..5
        QTest::newRow("far from the origin")
            << rect(5e5, 5e5, 10, 10) << rect(5e5 + 5, 5e5 + 5, 10, 10) << 25.0;
    }
    void overlap()
    {
        QFETCH(calc::Shape, a);
        QFETCH(calc::Shape, b);
        QFETCH(double, area);
        QVERIFY2(std::abs(project::overlapArea(a, b) - area) < 1e-6,
                 qPrintable(QString::number(project::overlapArea(a, b))));
        QVERIFY(std::abs(project::overlapArea(b, a) - area) < 1e-6);
    }

    void roomTypeOfName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("inside a word") << "Спортзал 2"
                                       << "СПОРТЗАЛ";
        QTest::newRow("lower case") << "малый театр"
                                    << "ТЕАТР";
        QTest::newRow("with spaces") << "Ж Д станция, зал"
                                     << "Ж Д СТАНЦИЯ";
        QTest::newRow("none") << "Кабинет 12"
                              << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void roomTypeOfName()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        const project::ListedRoomType *found = project::roomTypeNamedIn(name, Types);
        QCOMPARE(found ? found->name : QString(), type);
    }

    void defaultNames()
    {
        QCOMPARE(project::defaultRoomName(7), QString("Помещение 7"));
        QVERIFY(project::isDefaultRoomName("Помещение 12"));
        QVERIFY(!project::isDefaultRoomName("Помещение 12а"));
        QVERIFY(!project::isDefaultRoomName("Кабинет 12"));
    }

    // A first import: every outline a room of the template, with its
    // outline's figures, its name or "Помещение N", its type where named.
    void firstImport()
    {
        ProjectModel model;
        Room before;
        before.name = "Холл";
        before.floor = "2";
        model.addRoom(0, before);
        importOnce(model,
                   {{rect(0, 0, 6, 4), "Спортзал 2"}, {rect(6, 0, 3, 4), ""}, {rect(0, 4, 9, 2), "Коридор"}});
        QCOMPARE(model.roomCount(), 4);
        const Room &gym = model.room(1);
        QCOMPARE(gym.name, QString("Спортзал 2"));
        QCOMPARE(gym.floor, QString("1"));
        QCOMPARE(gym.layout, QString("рядами"));
        QCOMPARE(gym.inputs.roomType, QString("СПОРТЗАЛ"));
        QCOMPARE(gym.inputs.noise, QString("75"));
        QCOMPARE(gym.inputs.height, QString("3,5"));
        QCOMPARE(gym.inputs.length, QString("6"));
        QCOMPARE(gym.inputs.width, QString("4"));
        QCOMPARE(gym.inputs.area, QString("24"));
        QCOMPARE(gym.inputs.outline.size(), std::size_t(4));
        QCOMPARE(model.room(2).name, QString("Помещение 3"));
        QCOMPARE(model.room(2).inputs.roomType, QString("АВТОСТОЯНКА"));
        QCOMPARE(model.room(3).name, QString("Коридор"));
        QCOMPARE(model.project().plans.size(), std::size_t(1));
        QCOMPARE(model.project().plans.front().layer, QString("ROOMS"));
    }

    // A floor imported again: a room that overlaps by at least half of the
    // larger area keeps its inputs, line, layout and given name and takes
    // the new outline; a default name gives way to the plan's; the rest is
    // new or unmatched.
    void reimport()
    {
        ProjectModel model;
        importOnce(model,
                   {{rect(0, 0, 10, 10), "Зал"}, {rect(10, 0, 4, 4), ""}, {rect(20, 0, 4, 4), "Склад"}});
        // The user's own choices on the kept rooms.
        Room hall = model.room(0);
        hall.line = "Л1";
        hall.layout = "сетка";
        hall.inputs.noise = "55";
        model.setRoomText(model.idAt(0), &Room::line, "Л1");
        project::RoomInputs inputs = hall.inputs;
        model.setRoomInputs(model.idAt(0), inputs, "сетка");
        const project::RoomId hallId = model.idAt(0);
        const project::RoomId smallId = model.idAt(1);
        const project::RoomId storeId = model.idAt(2);

        const std::vector<ImportedRoom> plan{
            {rect(0, 0, 10, 10.5), "Большой зал"}, // grown a little: the hall
            {rect(10, 0, 4, 2), "Кабинет"},        // exactly half of the old 4 x 4 room
            {rect(30, 0, 5, 5), ""},               // new
        };
        const FloorImport import = project::planFloorImport(model, plan, roomTemplate(),
                                                            {"1", "plan-2.dxf", "mm", "ROOMS"}, Types);
        QCOMPARE(import.kept.size(), std::size_t(2));
        QCOMPARE(import.kept[0].id, hallId);
        QCOMPARE(import.kept[0].room.name, QString("Зал")); // a given name stays
        QCOMPARE(import.kept[0].room.line, QString("Л1"));
        QCOMPARE(import.kept[0].room.layout, QString("сетка"));
        QCOMPARE(import.kept[0].room.inputs.noise, QString("55"));
        QCOMPARE(import.kept[0].room.inputs.length, QString("10.5"));
        QCOMPARE(import.kept[1].id, smallId);
        QCOMPARE(import.kept[1].room.name, QString("Кабинет")); // "Помещение 2" gives way
        QCOMPARE(import.added.size(), std::size_t(1));
        QCOMPARE(import.unmatched, std::vector<project::RoomId>{storeId});
        QCOMPARE(project::unmatchedNames(model, import), QStringList{"Склад"});

        // One undo step; undone, the floor is as it was.
        const project::Project was = model.project();
        QUndoStack undo;
        undo.push(project::floorImportCommand(model, import, true));
        QCOMPARE(undo.count(), 1);
        QCOMPARE(model.roomCount(), 3);
        QVERIFY(!model.contains(storeId));
        QCOMPARE(model.project().plans.front().file, QString("plan-2.dxf"));
        undo.undo();
        QCOMPARE(model.project(), was);
        QCOMPARE(model.idAt(2), storeId);
        undo.redo();
        QCOMPARE(model.roomCount(), 3);
    }

    // Less than half of the larger area is no match, whichever is larger.
    void underHalfIsNoMatch()
    {
        ProjectModel model;
        importOnce(model, {{rect(0, 0, 4, 4), "А"}});
        for (const calc::Shape &outline : {rect(0, 0, 4, 1.9), rect(0, 0, 8.5, 4), rect(2.1, 0, 4, 4)}) {
            const FloorImport import = project::planFloorImport(model, {{outline, "Б"}}, roomTemplate(),
                                                                {"1", "p.dxf", "mm", "ROOMS"}, Types);
            QVERIFY(import.kept.empty());
            QCOMPARE(import.added.size(), std::size_t(1));
            QCOMPARE(import.unmatched.size(), std::size_t(1));
        }
    }

    // Two new outlines over one old room: the larger overlap keeps it.
    void largestOverlapWins()
    {
        ProjectModel model;
        importOnce(model, {{rect(0, 0, 10, 4), "Зал"}});
        const FloorImport import
            = project::planFloorImport(model, {{rect(0, 0, 6, 4), "левая"}, {rect(0, 0, 9, 4), "правая"}},
                                       roomTemplate(), {"1", "p.dxf", "mm", "ROOMS"}, Types);
        QCOMPARE(import.kept.size(), std::size_t(1));
        QCOMPARE(import.kept[0].room.inputs.length, QString("9"));
        QCOMPARE(import.added.size(), std::size_t(1));
        QCOMPARE(import.added[0].name, QString("левая"));
    }

    // The plans go into the file after the cable allowance and read back.
    void plansInTheFile()
    {
        project::Project p;
        p.plans = {{"1", "этаж-1.dxf", "mm", "А-ПОМЕЩЕНИЯ"}, {"2", "../планы/этаж 2.dxf", "ft", "ROOMS"}};
        const QByteArray bytes = project::projectBytes(p, {});
        QVERIFY(bytes.indexOf("\"cableAllowance\"") < bytes.indexOf("\"plans\""));
        QVERIFY(bytes.indexOf("\"plans\"") < bytes.indexOf("\"rooms\""));
        const project::ReadResult read = project::parseProject(bytes);
        QVERIFY2(read.project, qPrintable(read.reason));
        QCOMPARE(read.project->plans, p.plans);
        QVERIFY(!project::projectBytes(project::Project{}, {}).contains("\"plans\""));
    }

    void plansRefused_data()
    {
        QTest::addColumn<QByteArray>("plans");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a list") << QByteArray("{}") << "поле «plans» должно быть списком";
        QTest::newRow("unknown unit")
            << QByteArray(R"([{"floor":"1","file":"a.dxf","units":"km","layer":"L"}])")
            << "у плана № 1 неизвестная единица «km»";
        QTest::newRow("floor twice") << QByteArray(
            R"([{"floor":"1","file":"a.dxf","units":"mm","layer":"L"},)"
            R"({"floor":"1","file":"b.dxf","units":"mm","layer":"L"}])")
                                     << "план этажа «1» записан дважды";
        QTest::newRow("no layer") << QByteArray(R"([{"floor":"1","file":"a.dxf","units":"mm"}])")
                                  << "у плана № 1 нет поля «layer»";
    }
    void plansRefused()
    {
        QFETCH(QByteArray, plans);
        QFETCH(QString, reason);
        const QByteArray bytes = R"({"format":"loudspeaker-planner/object","version":2,"name":"",)"
                                 R"("lines":[],"cableAllowance":10,"plans":)"
            + plans + R"(,"rooms":[]})";
        QCOMPARE(project::parseProject(bytes).reason, reason);
    }
};

QTEST_GUILESS_MAIN(TestFloorImport)
#include "tst_project_floorimport.moc"
