// Renders the "Объект" window's floor view of a school floor of 15 rooms
// imported from its DXF plan, and the import dialog with that
// plan chosen, into PNGs.
// Usage: screenshot_floor <floor.png> <import.png>
// The decimal separator is the locale's (LANG=ru_RU.UTF-8 for a comma).
#include "app/roomevaluation.h"
#include "project/floorview.h"
#include "project/planimportdialog.h"
#include "project/projectmodel.h"
#include "project/projectwindow.h"
#include "project/roomresults.h"
#include "widgets/messenger.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPixmap>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A school floor in millimetres, as an architect's CAD writes it (R2007,
// UTF-8): classrooms on both sides of a corridor, an L-shaped lobby and a
// gym with a half-round end on the layer "А-ПОМЕЩЕНИЯ", each named by a
// text; the walls as lines on "А-СТЕНЫ".
QByteArray schoolFloor()
{
    QByteArray dxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n"
                     "0\nSECTION\n2\nENTITIES\n";
    const auto number = [](double v) { return QByteArray::number(v, 'f', 1); };
    const auto room
        = [&](const QList<QPointF> &corners, const QList<double> &bulges, const QString &name, QPointF at) {
              dxf += "0\nLWPOLYLINE\n8\nА-ПОМЕЩЕНИЯ\n90\n" + QByteArray::number(corners.size()) + "\n70\n1\n";
              for (qsizetype i = 0; i < corners.size(); ++i) {
                  dxf += "10\n" + number(corners[i].x()) + "\n20\n" + number(corners[i].y()) + "\n";
                  if (i < bulges.size() && bulges[i] != 0.0)
                      dxf += "42\n" + QByteArray::number(bulges[i]) + "\n";
              }
              dxf += "0\nTEXT\n8\nА-ТЕКСТ\n10\n" + number(at.x()) + "\n20\n" + number(at.y())
                  + "\n40\n300\n1\n" + name.toUtf8() + "\n";
              // The walls: the outline 200 mm outside.
              for (qsizetype i = 0; i < corners.size(); ++i) {
                  const QPointF a = corners[i], b = corners[(i + 1) % corners.size()];
                  dxf += "0\nLINE\n8\nА-СТЕНЫ\n10\n" + number(a.x()) + "\n20\n" + number(a.y()) + "\n11\n"
                      + number(b.x()) + "\n21\n" + number(b.y()) + "\n";
              }
          };
    const auto rect = [](double x, double y, double w, double h) {
        return QList<QPointF>{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    };
    for (int i = 0; i < 6; ++i) {
        const double x = 12000 + i * 8000;
        room(rect(x, 0, 8000, 6500), {}, QStringLiteral("Кабинет %1").arg(101 + i), {x + 2000, 3000});
        room(rect(x, 9500, 8000, 6500), {}, QStringLiteral("Кабинет %1").arg(112 - i), {x + 2000, 12500});
    }
    room(rect(12000, 6500, 48000, 3000), {}, QStringLiteral("Коридор"), {30000, 7800});
    room({{0, 0}, {12000, 0}, {12000, 16000}, {6000, 16000}, {6000, 7000}, {0, 7000}}, {},
         QStringLiteral("Вестибюль"), {2000, 3000});
    room({{60000, 0}, {78000, 0}, {78000, 16000}, {60000, 16000}}, {0, 1.0, 0, 0}, QStringLiteral("Спортзал"),
         {64000, 8000});
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

class Silent : public Messenger {
public:
    void inform(const QString &, const QString &) override { }
    Answer ask(const QString &, const QString &) override { return Answer::No; }
};

class Importing : public project::ProjectWindow {
public:
    using ProjectWindow::ProjectWindow;
    project::PlanImportChoice choice;

protected:
    std::optional<project::PlanImportChoice> askPlanImport(const QString &, const QString &) override
    {
        return choice;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshot_floor <floor.png> <import.png> [<floor by STI.png>]\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString plan = dir.filePath(QStringLiteral("этаж-1.dxf"));
    {
        const QByteArray bytes = schoolFloor();
        QFile file(plan);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    const RoomEvaluation calculator;
    Silent messenger;
    Importing window(calculator, &messenger);
    // The template: ceiling loudspeakers in rows, a school's noise.
    project::Room ceiling;
    ceiling.name = QStringLiteral("Образец");
    ceiling.floor = QStringLiteral("0");
    ceiling.inputs = startupRoomInputs();
    ceiling.inputs.model = QStringLiteral("KE-1");
    ceiling.inputs.mounting = calc::Mounting::Ceiling;
    ceiling.inputs.roomType = QStringLiteral("МАГАЗИН");
    ceiling.inputs.noise = QStringLiteral("30");
    ceiling.layout = QStringLiteral("рядами");
    window.model()->addRoom(0, ceiling);
    window.view()->setCurrentIndex(window.sortedRooms()->index(0, 0));
    window.choice = {plan, QStringLiteral("1"), QString(), QStringLiteral("mm"), QStringLiteral("3")};
    window.importPlan();
    // Acoustic ceilings over the classrooms of one side: understood there,
    // not in the plastered rest.
    for (int row = 0; row < window.model()->roomCount(); ++row) {
        const QString name = window.model()->room(row).name;
        if (name.startsWith(QStringLiteral("Кабинет 10")))
            window.model()->setRoomText(window.model()->idAt(row), &project::Room::ceilingSurface,
                                        QStringLiteral("акустический потолок"));
    }
    window.results()->completeLevels();

    window.resize(1100, 700);
    window.show();
    window.tabs()->setCurrentWidget(window.floorTab());
    window.floorTab()->setCurrentFloor(QStringLiteral("1"));
    QApplication::processEvents();
    window.finishFloorDrawing();
    window.floorTab()->view()->fitToView();
    window.floorTab()->view()->setSelectedRoom(window.model()->idAt(3));
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc > 3) {
        // The same floor tinted by intelligibility.
        window.floorTab()->tintBox()->setCurrentIndex(1);
        window.finishFloorDrawing();
        QApplication::processEvents();
        if (!window.grab().save(QString::fromLocal8Bit(argv[3])))
            return 1;
    }

    project::PlanImportDialog dialog(QStringLiteral("1"), QStringLiteral("3"), dir.path());
    dialog.setFile(plan);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[2])))
        return 1;
    window.discardProject();
    return 0;
}
