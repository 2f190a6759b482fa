// The "Объект" window's floors: a plan imported in one undo step with its
// report, a floor imported again asking before it removes rooms, the floor
// view showing the imported rooms and selecting a room's row on a click,
// and the floor's DXF written from the menu.
#include "app/roomevaluation.h"
#include "project/floorcontent.h"
#include "project/floorview.h"
#include "project/projectmodel.h"
#include "project/projectwindow.h"
#include "project/roomresults.h"
#include "recordingmessenger.h"

#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

namespace {

// A plan in metres whose rooms are the given rectangles (x, y, w, h), each
// named by a text at its centre where a name is given.
QByteArray planOf(const std::vector<std::pair<QRectF, QString>> &rooms)
{
    QByteArray dxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$INSUNITS\n70\n6\n0\nENDSEC\n"
                     "0\nSECTION\n2\nENTITIES\n";
    for (const auto &[r, name] : rooms) {
        dxf += "0\nLWPOLYLINE\n8\nROOMS\n90\n4\n70\n1\n";
        for (const QPointF &c : {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()})
            dxf += "10\n" + QByteArray::number(c.x()) + "\n20\n" + QByteArray::number(c.y()) + "\n";
        if (!name.isEmpty())
            dxf += "0\nTEXT\n8\nTEXT\n10\n" + QByteArray::number(r.center().x()) + "\n20\n"
                + QByteArray::number(r.center().y()) + "\n40\n0.3\n1\n" + name.toUtf8() + "\n";
    }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The window with its dialogs answered: the import's choice and the DXF's path.
class AnsweredWindow : public project::ProjectWindow {
public:
    using ProjectWindow::ProjectWindow;
    std::optional<project::PlanImportChoice> choice;
    QString savePath;
    QString askedFloor;

protected:
    std::optional<project::PlanImportChoice> askPlanImport(const QString &floor, const QString &) override
    {
        askedFloor = floor;
        return choice;
    }
    QString askSavePath(const QString &, const QString &, const QStringList &, QString *) override
    {
        return savePath;
    }
};

} // namespace

class FloorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void importAndReimport()
    {
        QTemporaryDir dir;
        const RoomEvaluation calculator;
        RecordingMessenger messenger;
        AnsweredWindow window(calculator, &messenger);

        // Without a calculation or a selected room there is no template.
        window.importPlan();
        QCOMPARE(messenger.shown.size(), std::size_t(1));
        QCOMPARE(window.model()->roomCount(), 0);

        // The selected room is the template.
        project::Room model;
        model.name = "Образец";
        model.inputs = startupRoomInputs();
        model.layout = "рядами";
        window.model()->addRoom(0, model);
        window.view()->setCurrentIndex(window.sortedRooms()->index(0, 0));

        const QString plan = dir.filePath("этаж.dxf");
        QVERIFY(write(plan,
                      planOf({{QRectF(0, 0, 8, 6), "Спортзал"},
                              {QRectF(8, 0, 4, 6), ""},
                              {QRectF(0, 6, 12, 3), "Коридор"}})));
        window.choice = project::PlanImportChoice{plan, "1", "ROOMS", "mm", "4"};
        messenger.shown.clear();
        const int undoBefore = window.undoStack()->count();
        window.importPlan();
        QCOMPARE(window.undoStack()->count(), undoBefore + 1);
        QCOMPARE(window.model()->roomCount(), 4);
        QCOMPARE(messenger.texts(), QStringList{"Найдено помещений: 3."});
        QCOMPARE(window.model()->room(1).name, QString("Коридор")); // top first: y 6..9
        QCOMPARE(window.model()->room(2).inputs.roomType, QString("СПОРТЗАЛ"));
        QCOMPARE(window.model()->room(3).name, QString("Помещение 4"));
        QCOMPARE(window.model()->room(3).inputs.height, QString("4"));
        QCOMPARE(window.model()->project().plans.size(), std::size_t(1));

        // The floor view: the three rooms with outlines; a click selects
        // the room's row.
        window.tabs()->setCurrentWidget(window.floorTab());
        window.floorTab()->resize(800, 600);
        window.finishFloorDrawing();
        project::FloorView *view = window.floorTab()->view();
        QCOMPARE(view->scene().drawing().rooms.size(), std::size_t(3));
        QSignalSpy opened(&window, &project::ProjectWindow::planRequested);
        const QPoint gym = view->toWidget(QPointF(2, 1)).toPoint();
        QTest::mouseClick(view, Qt::LeftButton, {}, gym);
        const QModelIndex current = window.sortedRooms()->mapToSource(window.view()->currentIndex());
        QCOMPARE(window.model()->room(current.row()).name, QString("Спортзал"));
        QTest::mouseDClick(view, Qt::LeftButton, {}, gym);
        QCOMPARE(opened.count(), 1);

        // The architect's new plan: the gym split off a store, the corridor
        // gone. The question names the corridor; "No" keeps it.
        QVERIFY(write(plan, planOf({{QRectF(0, 0, 7, 6), ""}, {QRectF(7, 0, 5, 6), "Склад"}})));
        messenger.shown.clear();
        messenger.answers = {Messenger::Answer::No};
        window.view()->clearSelection();
        window.view()->setCurrentIndex(QModelIndex());
        window.importPlan();
        QCOMPARE(messenger.shown.front().text,
                 QString("Удалить помещения, которых нет на новом плане: Коридор?"));
        QCOMPARE(window.model()->roomCount(), 4);
        // The gym kept its name and took its new outline; the small room
        // (7..12 overlaps 8..12 by 4/5) took the store's name.
        QCOMPARE(window.model()->room(2).name, QString("Спортзал"));
        QCOMPARE(window.model()->room(2).inputs.length, QString("7"));
        QCOMPARE(window.model()->room(3).name, QString("Склад"));

        // Undone in one step.
        window.undoStack()->undo();
        QCOMPARE(window.model()->room(2).inputs.length, QString("8"));
        QCOMPARE(window.model()->room(3).name, QString("Помещение 4"));

        // The floor's DXF from the menu.
        window.savePath = dir.filePath("этаж 1.dxf");
        window.tabs()->setCurrentWidget(window.floorTab());
        window.exportFloor();
        QFile written(window.savePath);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("INSERT"));
        window.discardProject();
    }

    // A plan that is gone leaves the view saying so.
    void missingPlanIsSaid()
    {
        QTemporaryDir dir;
        const RoomEvaluation calculator;
        RecordingMessenger messenger;
        AnsweredWindow window(calculator, &messenger);
        project::Room model;
        model.name = "Образец";
        model.inputs = startupRoomInputs();
        model.layout = "рядами";
        window.model()->addRoom(0, model);
        window.view()->setCurrentIndex(window.sortedRooms()->index(0, 0));
        const QString plan = dir.filePath("план.dxf");
        QVERIFY(write(plan, planOf({{QRectF(0, 0, 5, 5), "А"}})));
        window.choice = project::PlanImportChoice{plan, "2", "", "mm", "3"};
        window.importPlan();
        QVERIFY(QFile::remove(plan));
        window.tabs()->setCurrentWidget(window.floorTab());
        window.floorTab()->setCurrentFloor("2");
        window.finishFloorDrawing();
        QCOMPARE(window.floorTab()->view()->scene().drawing().backgroundNote,
                 QString("План «%1» не найден").arg(QDir::toNativeSeparators(plan)));
        window.discardProject();
    }

    // "Окраска": a room loud enough whose reverberation (10 s typed) leaves
    // nobody understanding it is green by level and red by intelligibility.
    void tintByIntelligibility()
    {
        const RoomEvaluation calculator;
        RecordingMessenger messenger;
        AnsweredWindow window(calculator, &messenger);
        project::Project p;
        p.targetShare = 50;
        project::Room room;
        room.name = "Зал";
        room.floor = "1";
        room.inputs = startupRoomInputs();
        room.inputs.outline = {{0, 0}, {10, 0}, {10, 6}, {0, 6}};
        room.layout = "рядами";
        room.count = project::PlanCount{project::PlanCount::Kind::Level, 0};
        room.reverberation = "10";
        p.rooms.push_back(room);
        window.model()->setProject(p);
        QVERIFY(QTest::qWaitFor([&] { return !window.results()->levelsPending(); }, 60000));
        const project::RoomResults &results = window.results()->at(0);
        QCOMPARE(project::floorVerdict(results, 50, project::FloorTint::Level), project::FloorVerdict::Met);
        QCOMPARE(project::floorVerdict(results, 50, project::FloorTint::Intelligibility),
                 project::FloorVerdict::Short);

        window.tabs()->setCurrentWidget(window.floorTab());
        window.finishFloorDrawing();
        const auto drawn = [&] { return window.floorTab()->view()->scene().drawing().rooms.at(0).verdict; };
        QCOMPARE(drawn(), project::FloorVerdict::Met);
        window.floorTab()->tintBox()->setCurrentIndex(1);
        window.finishFloorDrawing();
        QCOMPARE(drawn(), project::FloorVerdict::Short);
        window.discardProject();
    }
};

QTEST_MAIN(FloorWindowTest)
#include "tst_project_floorwindow.moc"
