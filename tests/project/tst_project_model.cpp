// The project model and the undo commands on it: a room keeps its id
// wherever its row goes, an id is never given to another room, and every
// command finds its room by id, so that undoing a change of a room after
// rooms before it were removed or added changes that room and no other.

#include "project/projectcommands.h"
#include "project/projectmodel.h"
#include "project/roomresults.h"

#include <functional>

#include <QSet>
#include <QTest>
#include <QUndoStack>

using namespace project;

namespace {

Room named(const QString &name)
{
    Room room;
    room.name = name;
    room.floor = QStringLiteral("1");
    room.inputs.length = QStringLiteral("10");
    room.layout = QStringLiteral("рядами");
    return room;
}

QStringList names(const ProjectModel &model)
{
    QStringList list;
    for (const Room &room : model.project().rooms)
        list << room.name;
    return list;
}

// The rooms "A", "B", "C", "D".
Project fourRooms()
{
    Project p;
    for (const char *name : {"A", "B", "C", "D"})
        p.rooms.push_back(named(QString::fromLatin1(name)));
    return p;
}

// Changes made to the model past the undo stack, as the test describes
// them: "-A" takes the room named A, "+X@0" adds a room named X at row 0.
void move(ProjectModel &model, const QString &step)
{
    if (step.startsWith(u'-')) {
        const int row = int(names(model).indexOf(step.mid(1)));
        QVERIFY(row >= 0);
        model.takeRoom(model.idAt(row));
        return;
    }
    const QStringList parts = step.mid(1).split(u'@');
    model.addRoom(parts[1].toInt(), named(parts[0]));
}

enum class Change { Name, Floor, Inputs, Removal };

using RoomEdit = std::function<void(Room &)>;

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(RoomEdit)

class ProjectModelTest : public QObject {
    Q_OBJECT
private slots:
    void idsAreNeverGivenTwice();
    void undoFindsItsRoom_data();
    void undoFindsItsRoom();
    void removedRoomComesBackWithItsId();
    void lineRenameFollowsItsRooms();
    void resultsKeyFollowsEveryInput_data();
    void resultsKeyFollowsEveryInput();
};

void ProjectModelTest::idsAreNeverGivenTwice()
{
    ProjectModel model;
    QSet<RoomId> given;
    model.setProject(fourRooms());
    for (int r = 0; r < model.roomCount(); ++r)
        given.insert(model.idAt(r));
    QCOMPARE(given.size(), 4);
    const RoomId taken = model.idAt(1);
    model.takeRoom(taken);
    QVERIFY(!model.contains(taken));
    QCOMPARE(model.rowOf(taken), -1);
    const RoomId added = model.addRoom(0, named("X"));
    QVERIFY(!given.contains(added));
    given.insert(added);
    // The same project opened anew: new ids again.
    model.setProject(fourRooms());
    for (int r = 0; r < model.roomCount(); ++r) {
        QVERIFY(!given.contains(model.idAt(r)));
        QCOMPARE(model.rowOf(model.idAt(r)), r);
    }
}

void ProjectModelTest::undoFindsItsRoom_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("moves");  // past the stack, after the command
    QTest::addColumn<QStringList>("undone"); // the names after the undo
    QTest::newRow("name, a room before it removed")
        << Change::Name << QStringList{"-A"} << QStringList{"B", "C", "D"};
    QTest::newRow("name, rooms added before it")
        << Change::Name << QStringList{"+X@0", "+Y@1"} << QStringList{"X", "Y", "A", "B", "C", "D"};
    QTest::newRow("floor, removed and added before it")
        << Change::Floor << QStringList{"-B", "+X@0", "+Y@0"} << QStringList{"Y", "X", "A", "C", "D"};
    QTest::newRow("inputs, the rooms around it replaced")
        << Change::Inputs << QStringList{"-A", "-B", "+X@0", "-D", "+Y@2"} << QStringList{"X", "C", "Y"};
    QTest::newRow("removal, rooms before it removed")
        << Change::Removal << QStringList{"-A", "-B"} << QStringList{"D", "C"};
    QTest::newRow("removal, a room added before it")
        << Change::Removal << QStringList{"+X@0"} << QStringList{"X", "A", "C", "B", "D"};
}

// The command changes room C (row 2); then rooms before it go or come past
// the stack; undone, C is as it was and every other room as the moves left
// it. A command that kept C's row would change another room there.
void ProjectModelTest::undoFindsItsRoom()
{
    QFETCH(Change, change);
    QFETCH(QStringList, moves);
    QFETCH(QStringList, undone);
    ProjectModel model;
    model.setProject(fourRooms());
    const RoomId c = model.idAt(2);
    const Room before = model.room(2);
    QUndoStack stack;
    RoomInputs louder = before.inputs;
    louder.length = QStringLiteral("25");
    switch (change) {
    case Change::Name:
        stack.push(
            new EditTextCommand(model, c, &Room::name, QStringLiteral("Помещение"), QStringLiteral("Зал")));
        break;
    case Change::Floor:
        stack.push(new EditTextCommand(model, c, &Room::floor, QStringLiteral("Этаж"), QStringLiteral("7")));
        break;
    case Change::Inputs:
        stack.push(new ReplaceInputsCommand(model, c, louder, QStringLiteral("рядами")));
        break;
    case Change::Removal: stack.push(new RemoveRoomCommand(model, c)); break;
    }
    for (const QString &step : moves)
        move(model, step);
    // Every other room, as the moves left it.
    Project others = model.project();
    std::erase_if(others.rooms, [](const Room &room) { return room.name == "Зал" || room.name == "C"; });

    stack.undo();
    QCOMPARE(names(model), undone);
    QVERIFY(model.contains(c));
    QCOMPARE(model.room(model.rowOf(c)), before);
    Project now = model.project();
    std::erase_if(now.rooms, [](const Room &room) { return room.name == "C"; });
    QCOMPARE(now.rooms, others.rooms);

    // Redone, the change goes to C again.
    stack.redo();
    switch (change) {
    case Change::Name: QCOMPARE(model.room(model.rowOf(c)).name, QString("Зал")); break;
    case Change::Floor: QCOMPARE(model.room(model.rowOf(c)).floor, QString("7")); break;
    case Change::Inputs: QCOMPARE(model.room(model.rowOf(c)).inputs, louder); break;
    case Change::Removal: QVERIFY(!model.contains(c)); break;
    }
    QCOMPARE(model.roomCount(), int(undone.size()) - (change == Change::Removal ? 1 : 0));
}

// A room removed and put back by undo is the same room: a command of it
// from before its removal still finds it.
void ProjectModelTest::removedRoomComesBackWithItsId()
{
    ProjectModel model;
    model.setProject(fourRooms());
    const RoomId b = model.idAt(1);
    QUndoStack stack;
    stack.push(
        new EditTextCommand(model, b, &Room::name, QStringLiteral("Помещение"), QStringLiteral("Склад")));
    stack.push(new RemoveRoomCommand(model, b));
    QCOMPARE(names(model), QStringList({"A", "C", "D"}));
    stack.undo();
    QCOMPARE(model.idAt(1), b);
    model.addRoom(0, named("X"));
    stack.undo();
    QCOMPARE(names(model), QStringList({"X", "A", "B", "C", "D"}));
    // An added room, undone and redone, keeps its id too.
    auto *add = new AddRoomCommand(model, 5, named("Y"));
    stack.push(add);
    const RoomId y = add->roomId();
    stack.undo();
    QVERIFY(!model.contains(y));
    stack.redo();
    QCOMPARE(model.rowOf(y), 5);
}

// A line renamed takes its rooms along, wherever they have moved; undone,
// those rooms and no others go back to the old name.
void ProjectModelTest::lineRenameFollowsItsRooms()
{
    Project p = fourRooms();
    p.lines = {Line{QStringLiteral("Л1")}, Line{QStringLiteral("Л2")}};
    p.rooms[1].line = p.rooms[3].line = QStringLiteral("Л1");
    p.rooms[2].line = QStringLiteral("Л2");
    ProjectModel model;
    model.setProject(p);
    QUndoStack stack;
    Line renamed = p.lines[0];
    renamed.name = QStringLiteral("Л9");
    stack.push(new EditLineCommand(model, 0, renamed));
    model.takeRoom(model.idAt(0));
    Room onNew = named("X");
    onNew.line = QStringLiteral("Л9");
    model.addRoom(0, onNew);
    const auto lines = [&model] {
        QStringList list;
        for (const Room &room : model.project().rooms)
            list << room.name + u':' + room.line;
        return list;
    };
    QCOMPARE(lines(), QStringList({"X:Л9", "B:Л9", "C:Л2", "D:Л9"}));
    stack.undo();
    QCOMPARE(lines(), QStringList({"X:Л9", "B:Л1", "C:Л2", "D:Л1"}));
    QCOMPARE(model.project().lines[0].name, QString("Л1"));
}

void ProjectModelTest::resultsKeyFollowsEveryInput_data()
{
    QTest::addColumn<RoomEdit>("edit");
    QTest::addColumn<bool>("sameResults");
    const auto text = [](QString RoomInputs::*member) {
        return RoomEdit([member](Room &room) { room.inputs.*member += QStringLiteral("5"); });
    };
    QTest::newRow("model") << text(&RoomInputs::model) << false;
    QTest::newRow("model from the list")
        << RoomEdit([](Room &r) { r.inputs.modelFromList = false; }) << false;
    QTest::newRow("mounting") << RoomEdit([](Room &r) { r.inputs.mounting = calc::Mounting::SquareHorn; })
                              << false;
    QTest::newRow("tap") << RoomEdit([](Room &r) { r.inputs.tap = 3; }) << false;
    QTest::newRow("power") << text(&RoomInputs::power) << false;
    QTest::newRow("sensitivity") << text(&RoomInputs::sensitivity) << false;
    QTest::newRow("directivity") << text(&RoomInputs::directivity) << false;
    QTest::newRow("vertical directivity") << text(&RoomInputs::verticalDirectivity) << false;
    QTest::newRow("tilt") << text(&RoomInputs::tilt) << false;
    QTest::newRow("margin") << text(&RoomInputs::margin) << false;
    QTest::newRow("listening height") << text(&RoomInputs::listeningHeight) << false;
    QTest::newRow("room type") << text(&RoomInputs::roomType) << false;
    QTest::newRow("noise") << text(&RoomInputs::noise) << false;
    QTest::newRow("height") << text(&RoomInputs::height) << false;
    QTest::newRow("length") << text(&RoomInputs::length) << false;
    QTest::newRow("width") << text(&RoomInputs::width) << false;
    QTest::newRow("area") << text(&RoomInputs::area) << false;
    QTest::newRow("area from the sides") << RoomEdit([](Room &r) { r.inputs.areaFromSides = true; }) << false;
    QTest::newRow("layout") << RoomEdit([](Room &r) { r.layout = QStringLiteral("в шахматном порядке"); })
                            << false;
    QTest::newRow("floor surface") << RoomEdit([](Room &r) { r.floorSurface = QStringLiteral("ковролин"); })
                                   << false;
    QTest::newRow("walls surface") << RoomEdit([](Room &r) { r.wallsSurface = QStringLiteral("бетон"); })
                                   << false;
    QTest::newRow("ceiling surface") << RoomEdit([](Room &r) {
        r.ceilingSurface = QStringLiteral("гипсокартон");
    }) << false;
    QTest::newRow("reverberation") << RoomEdit([](Room &r) { r.reverberation = QStringLiteral("1.2"); })
                                   << false;
    QTest::newRow("name") << RoomEdit([](Room &r) { r.name = QStringLiteral("Склад"); }) << true;
    QTest::newRow("floor") << RoomEdit([](Room &r) { r.floor = QStringLiteral("3"); }) << true;
    QTest::newRow("line") << RoomEdit([](Room &r) { r.line = QStringLiteral("Л2"); }) << true;
}

// Rooms share their results exactly when their inputs and layout agree.
void ProjectModelTest::resultsKeyFollowsEveryInput()
{
    QFETCH(RoomEdit, edit);
    QFETCH(bool, sameResults);
    const Room room = named("A");
    Room changed = room;
    edit(changed);
    QVERIFY(!(changed == room));
    QCOMPARE(resultsKey(changed) == resultsKey(room), sameResults);
}

QTEST_GUILESS_MAIN(ProjectModelTest)
#include "tst_project_model.moc"
