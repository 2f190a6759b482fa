#pragma once

#include "plan/planscene.h"

#include <QString>
#include <QStringList>

class QTextStream;

// The program's command line:
//   loudspeaker-planner [FILE.lsplan]           the windows, with the project open
//   loudspeaker-planner --export OUT FILE.lsplan   the project into OUT (.csv, .xlsx, .pdf), no window
//   loudspeaker-planner --export OUT --room N [--view zones|level] FILE.lsplan
//                                  the plan of room N into OUT (.dxf, .svg, .png, .pdf), no window
//   loudspeaker-planner --help | --version
namespace commandline {

// Exit codes of the command line.
inline constexpr int Done = 0;
inline constexpr int Failed = 1; // the project cannot be read, the room not computed or OUT not written
inline constexpr int WrongArguments = 2;

struct Request {
    enum class Kind { Windows, Export, Help, Version, Wrong };
    Kind kind = Kind::Windows;
    QString projectFile; // FILE, if given
    QString exportPath;  // OUT of --export
    int room = 0;        // --room: the room whose plan to write, 1-based in file order; 0 for the table
    plan::PlanView view = plan::PlanView::Zones; // --view of the room's plan
    QString error;                               // for Wrong: what is wrong, in Russian
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
// view. WrongArguments when the project has no such room, Failed (with
// the room and the reason) when its calculation stops or OUT cannot be
// written.
int exportRoomPlan(const Request &request, QTextStream &err);

} // namespace commandline
