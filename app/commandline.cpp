#include "commandline.h"

#include "app/roomevaluation.h"
#include "calc/numberformat.h"
#include "plan/planexport.h"
#include "project/projectdocument.h"
#include "project/projectfile.h"
#include "project/projectmodel.h"
#include "project/roomexport.h"
#include "project/roomresults.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace commandline {

namespace {

const QString ExportName = QStringLiteral("export");

// The parser with the program's options; the help and version options are
// answered by the caller, not by the parser.
struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Показать эту справку.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Показать версию программы.")};
    QCommandLineOption exportTo{ExportName,
                                QStringLiteral("Записать объект в файл OUT без окон и выйти: таблицу "
                                               "помещений в .csv или документы объекта (помещения, "
                                               "линии, спецификация) в .xlsx или .pdf; с --room — план "
                                               "помещения в .dxf, .svg, .png или .pdf."),
                                QStringLiteral("OUT")};
    QCommandLineOption room{QStringLiteral("room"),
                            QStringLiteral("С --export: записать план помещения номер N (по порядку в "
                                           "файле, начиная с 1) в его размещении и с рассчитанным "
                                           "количеством громкоговорителей."),
                            QStringLiteral("N")};
    QCommandLineOption view{QStringLiteral("view"),
                            QStringLiteral("С --room: что показывает план: zones — зоны громкоговорителей "
                                           "(по умолчанию), level — уровень звука, sti — разборчивость "
                                           "речи STI (в .svg, .png или .pdf)."),
                            QStringLiteral("VIEW")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Расчет громкоговорителей системы оповещения: звуковое давление, дальность, "
            "озвучиваемая площадь и количество громкоговорителей; объект из многих помещений."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(exportTo);
        parser.addOption(room);
        parser.addOption(view);
        parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QStringLiteral("Файл объекта (.lsplan): открыть его в окне «Объект»."),
                                     QStringLiteral("[FILE.lsplan]"));
    }
};

Request wrong(const QString &error)
{
    Request request;
    request.kind = Request::Kind::Wrong;
    request.error = error;
    return request;
}

// The request for a room's plan: the view checked, and OUT a plan's
// format that can show it. The room's number is checked once the file
// tells how many rooms there are.
Request roomPlanRequest(Request request, const QString &room, const QString &view)
{
    request.roomPlan = true;
    request.room = room;
    if (view == QLatin1String("level"))
        request.view = plan::PlanView::Level;
    else if (view == QLatin1String("sti"))
        request.view = plan::PlanView::Sti;
    else if (!view.isEmpty() && view != QLatin1String("zones"))
        return wrong(QStringLiteral("Неизвестный вид плана «%1»: укажите zones (зоны), level (уровень звука) "
                                    "или sti (разборчивость).")
                         .arg(view));
    const plan::PlanFormat format = plan::formatOfPath(request.exportPath);
    if (format == plan::PlanFormat::Unknown)
        return wrong(QStringLiteral("Неизвестный формат файла «%1»: план помещения записывается в файл .dxf, "
                                    ".svg, .png или .pdf.")
                         .arg(request.exportPath));
    if (format == plan::PlanFormat::Dxf && request.view == plan::PlanView::Level)
        return wrong(QStringLiteral("В чертеже DXF нет карты уровня звука: для вида level выберите файл "
                                    ".pdf, .svg или .png."));
    if (format == plan::PlanFormat::Dxf && request.view == plan::PlanView::Sti)
        return wrong(QStringLiteral("В чертеже DXF нет карты разборчивости: для вида sti выберите файл "
                                    ".pdf, .svg или .png."));
    return request;
}

} // namespace

Request parse(const QStringList &arguments)
{
    Parser p;
    if (!p.parser.parse(arguments)) {
        const QStringList unknown = p.parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString name = unknown.front();
            return wrong(QStringLiteral("Неизвестный параметр «%1%2».")
                             .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
        }
        // The one other failure: an option's value missing at the end.
        if (arguments.endsWith(QStringLiteral("--room")))
            return wrong(QStringLiteral("У параметра --room не указан номер помещения."));
        if (arguments.endsWith(QStringLiteral("--view")))
            return wrong(QStringLiteral("У параметра --view не указан вид плана."));
        return wrong(QStringLiteral("У параметра --export не указан файл, в который записать таблицу."));
    }
    Request request;
    if (p.parser.isSet(p.help)) {
        request.kind = Request::Kind::Help;
        return request;
    }
    if (p.parser.isSet(p.version)) {
        request.kind = Request::Kind::Version;
        return request;
    }
    const QStringList files = p.parser.positionalArguments();
    if (files.size() > 1)
        return wrong(QStringLiteral("Укажите не больше одного файла объекта."));
    request.projectFile = files.value(0);
    if (p.parser.isSet(p.view) && !p.parser.isSet(p.room))
        return wrong(QStringLiteral("Параметр --view выбирает вид плана помещения: укажите и --room N."));
    if (!p.parser.isSet(p.exportTo)) {
        if (p.parser.isSet(p.room))
            return wrong(
                QStringLiteral("Параметр --room записывает план помещения: укажите и --export OUT."));
        return request;
    }

    request.kind = Request::Kind::Export;
    request.exportPath = p.parser.value(p.exportTo);
    if (request.exportPath.isEmpty())
        return wrong(QStringLiteral("У параметра --export не указан файл, в который записать таблицу."));
    if (request.projectFile.isEmpty())
        return wrong(QStringLiteral("Укажите файл объекта, таблицу которого записать."));
    if (p.parser.isSet(p.room))
        return roomPlanRequest(request, p.parser.value(p.room), p.parser.value(p.view));
    if (plan::formatOfPath(request.exportPath) == plan::PlanFormat::Dxf)
        return wrong(QStringLiteral("Чертеж DXF записывается для одного помещения: укажите его номер "
                                    "параметром --room N."));
    if (!project::canExport(request.exportPath))
        return wrong(QStringLiteral("Неизвестный формат файла «%1»: объект записывается в файл %2.")
                         .arg(request.exportPath, project::exportSuffixes()));
    return request;
}

QString helpText()
{
    return Parser().parser.helpText();
}

QString versionText()
{
    return QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
}

bool exportNeedsFonts(const Request &request)
{
    if (request.kind != Request::Kind::Export)
        return false;
    if (request.roomPlan)
        return plan::formatOfPath(request.exportPath) != plan::PlanFormat::Dxf;
    return project::exportPaints(request.exportPath);
}

namespace {

// The project of the file, or none with the reason written to err.
std::optional<project::Project> readProject(const RoomEvaluation &calculator, const QString &projectFile,
                                            QTextStream &err)
{
    project::ReadResult read = project::readProjectFile(
        projectFile, [&calculator](calc::Mounting mounting, const QString &layout) {
            return calculator.layoutAllowed(mounting, layout);
        });
    if (!read.project)
        err << project::notOpenedMessage(projectFile, read.reason) << Qt::endl;
    return std::move(read.project);
}

// Whether OUT is the project's own file, which the export would replace;
// the refusal written to err.
bool ontoProjectFile(const QString &out, const QString &projectFile, QTextStream &err)
{
    if (!files::sameFile(out, projectFile))
        return false;
    err << project::ownFileRefusal(out) << Qt::endl;
    return true;
}

// The number of one of count rooms that N names, or 0 with what is wrong
// written to err.
int roomNumber(const QString &n, int count, const QString &projectFile, QTextStream &err)
{
    if (count == 0) {
        err << QStringLiteral("В объекте «%1» нет ни одного помещения: записать план нечего.")
                   .arg(projectFile)
            << Qt::endl;
        return 0;
    }
    bool ok = false;
    const int number = n.toInt(&ok);
    if (ok && number >= 1 && number <= count)
        return number;
    err << QStringLiteral("Номер помещения «%1» не является целым числом от 1 до %2.").arg(n).arg(count)
        << Qt::endl;
    return 0;
}

} // namespace

QString progressText(int done, int total)
{
    return QStringLiteral("Расчет уровней: %1 из %2").arg(done).arg(total);
}

ProgressLine::ProgressLine(QTextStream &err, bool terminal, std::function<qint64()> elapsed)
    : m_err(err),
      m_terminal(terminal),
      m_elapsed(std::move(elapsed))
{
    m_clock.start();
    if (!m_elapsed)
        m_elapsed = [this] { return m_clock.elapsed(); };
}

void ProgressLine::update(int done, int total)
{
    if (!m_terminal)
        return;
    const qint64 now = m_elapsed();
    if (now <= ShowAfter)
        return;
    if (done < total && m_written >= 0 && now - m_written < RewriteEvery)
        return;
    m_err << '\r' << progressText(done, total);
    m_err.flush();
    m_written = now;
}

void ProgressLine::finish()
{
    if (m_written < 0)
        return;
    m_err << '\n';
    m_err.flush();
    m_written = -1;
}

void quietQtMessages()
{
    // Qt's own handler writes what still goes out, in its own form; Qt
    // aborts after a fatal message whatever the handler does.
    static QtMessageHandler qtOwn = nullptr;
    qtOwn = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (type != QtCriticalMsg && type != QtFatalMsg)
                return;
            if (qtOwn)
                qtOwn(type, context, message);
            else
                std::fprintf(stderr, "%s\n", qPrintable(message));
        });
}

QString roomPlanCaption(const QString &projectName, int number, const QString &roomName, const QString &floor,
                        const QDate &date)
{
    QString caption = QStringLiteral("Объект «%1». Помещение № %2").arg(projectName).arg(number);
    if (!roomName.isEmpty())
        caption += QStringLiteral(" «%1»").arg(roomName);
    if (!floor.isEmpty())
        caption += QStringLiteral(", этаж %1").arg(floor);
    return caption + QStringLiteral(". Дата: %1").arg(date.toString(QStringLiteral("dd.MM.yyyy")));
}

int exportTable(const QString &out, const QString &projectFile, QTextStream &err)
{
    ProgressLine progress(err, isatty(fileno(stderr)) != 0);
    const RoomEvaluation calculator;
    std::optional<project::Project> read = readProject(calculator, projectFile, err);
    if (!read)
        return Failed;
    if (ontoProjectFile(out, projectFile, err))
        return Failed;
    project::ProjectModel model;
    project::RoomResultsService results(model, calculator, calc::localeDecimalPoint());
    // The level figures are all computed for the file, none before.
    results.setBackgroundLevels(false);
    model.setProject(std::move(*read));
    const files::WriteResult written
        = project::exportProject(out, results, project::projectDisplayName(model.project().name, projectFile),
                                 [&progress](int done, int total) { progress.update(done, total); });
    progress.finish();
    if (!written.ok) {
        err << written.error << Qt::endl;
        return Failed;
    }
    return Done;
}

int exportRoomPlan(const Request &request, QTextStream &err)
{
    const RoomEvaluation calculator;
    const std::optional<project::Project> read = readProject(calculator, request.projectFile, err);
    if (!read)
        return Failed;
    if (ontoProjectFile(request.exportPath, request.projectFile, err))
        return Failed;
    const std::vector<project::Room> &rooms = read->rooms;
    const int number = roomNumber(request.room, int(rooms.size()), request.projectFile, err);
    if (number == 0)
        return WrongArguments;
    const project::Room &room = rooms[std::size_t(number - 1)];
    const study::RoomStudy plan = study::studyRoom(studyRequest(room.inputs, room.layout));
    if (!plan.completed) {
        const QString named = room.name.isEmpty() ? QString() : QStringLiteral(" «%1»").arg(room.name);
        err << QStringLiteral("Помещение № %1%2 не рассчитано: %3").arg(number).arg(named, plan.note)
            << Qt::endl;
        return Failed;
    }
    const QString caption = roomPlanCaption(project::projectDisplayName(read->name, request.projectFile),
                                            number, room.name, room.floor, QDate::currentDate());
    const files::WriteResult written = plan::exportPlan(request.exportPath, plan.figures, plan.arrangement,
                                                        plan.count, request.view, caption);
    if (!written.ok) {
        err << written.error << Qt::endl;
        return Failed;
    }
    return Done;
}

} // namespace commandline
