#pragma once

#include "plan/planscene.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;

// The program's command line:
//   loudspeaker-planner [FILE.lsplan]           the windows, with the project open
//   loudspeaker-planner --export OUT FILE.lsplan   the project into OUT (.csv, .xlsx, .pdf), no window
//   loudspeaker-planner --export OUT --room N [--view zones|level] FILE.lsplan
//                                  the plan of room N into OUT (.dxf, .svg, .png, .pdf), no window
//   loudspeaker-planner --export OUT.dxf --floor F FILE.lsplan
//                                  floor F's rooms and loudspeakers into OUT, in its plan's units
//   loudspeaker-planner --import-plan PLAN.dxf --floor F [--layer NAME] [--units mm|cm|m]
//                       [--height H] FILE.lsplan
//                                  the plan's rooms added to FILE (made when missing) as floor F
//   loudspeaker-planner --help | --version
namespace commandline {

// Exit codes of the command line.
inline constexpr int Done = 0;
inline constexpr int Failed = 1; // the project cannot be read, the room not computed or OUT not written
inline constexpr int WrongArguments = 2;

struct Request {
    enum class Kind { Windows, Export, ImportPlan, Help, Version, Wrong };
    Kind kind = Kind::Windows;
    QString projectFile; // FILE, if given
    QString exportPath;  // OUT of --export
    // --room: the plan of one room, N as given; which rooms there are is
    // known only once the file is read (1-based in file order).
    bool roomPlan = false;
    QString room;
    plan::PlanView view = plan::PlanView::Zones; // --view of the room's plan
    // --floor: the floor of a floor's DXF (with --export) or of an import.
    bool floorPlan = false;
    QString floor;
    // --import-plan PLAN with its --layer (empty: the one with most rooms),
    // --units of a plan that names none ("mm" unless given) and --height
    // of the new rooms (empty: the template's).
    QString planFile;
    QString layer;
    QString units;
    QString height;
    QString error; // for Wrong: what is wrong, in Russian
};

// Reads the arguments (the program's name first) without any application
// object, so that the caller can choose which one to make.
Request parse(const QStringList &arguments);

// The help text (--help), the version line (--version).
QString helpText();
QString versionText();

// --export: reads the project, computes its rooms and lines and writes
// them to out in its format; messages go to err. Done, or Failed with the
// reason written. A PDF needs a QGuiApplication (exportNeedsFonts), and
// so does every drawing of a room's plan but DXF.
bool exportNeedsFonts(const Request &request);
int exportTable(const QString &out, const QString &projectFile, QTextStream &err);

// --export with --room: reads the project and writes the plan of the
// room in its layout with its calculated count, showing the request's
// view, under a caption naming the object, the room and the date.
// WrongArguments when N is not the number of one of the project's rooms,
// Failed (with the room and the reason) when its calculation stops or OUT
// cannot be written. Both exports refuse (Failed) an OUT that is the
// project's own file.
int exportRoomPlan(const Request &request, QTextStream &err);

// --export OUT.dxf --floor F: the floor's rooms with outlines and their
// loudspeakers, in the floor's plan's units and coordinates (mm for a floor
// without a plan). Failed when the project cannot be read, has no such
// floor, or OUT cannot be written.
int exportFloor(const Request &request, QTextStream &err);

// --import-plan: reads the plan and adds its rooms to the project as the
// floor (a floor imported before is matched as the window does, its rooms
// the new plan lacks kept), creating the file when it does not exist, and
// prints the plan's report on out. The template of new rooms: the file's
// last room, else the main window's start-up inputs. Failed (nothing
// written) when the plan or the project cannot be read or written, or the
// layer does not exist or holds no room.
int importPlan(const Request &request, QTextStream &out, QTextStream &err);

// The caption of a room's plan: "Объект «Школа». Помещение № 7 «Кабинет
// 12», этаж 2. Дата: 09.12.2026", leaving out a name or floor not given.
QString roomPlanCaption(const QString &projectName, int number, const QString &roomName, const QString &floor,
                        const QDate &date);

// The progress of the level figures on the standard error while an export
// waits for them: once it has taken longer than ShowAfter, and only where
// the standard error is a terminal, "Расчет уровней: 412 из 2000" is
// rewritten in place ('\r') as rooms are done, and finish() ends the line.
QString progressText(int done, int total);

class ProgressLine {
public:
    static constexpr qint64 ShowAfter = 2000;   // ms
    static constexpr qint64 RewriteEvery = 100; // ms, at most this often but the last count

    // elapsed: milliseconds since the export began; a clock started now
    // when empty.
    ProgressLine(QTextStream &err, bool terminal, std::function<qint64()> elapsed = {});
    void update(int done, int total);
    void finish();

private:
    QTextStream &m_err;
    bool m_terminal;
    std::function<qint64()> m_elapsed;
    QElapsedTimer m_clock;
    qint64 m_written = -1; // when the line was last written, -1 before
};

// Keeps Qt's own debug, information and warning messages (e.g. about the
// runtime folder) off the standard error of a run without windows, which
// then holds only the program's messages; critical and fatal ones still
// go out.
void quietQtMessages();

} // namespace commandline
