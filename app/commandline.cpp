#include "commandline.h"

#include "app/roomevaluation.h"
#include "calc/numberformat.h"
#include "plan/planexport.h"
#include "project/dxfplan.h"
#include "project/floorcontent.h"
#include "project/floordxf.h"
#include "project/floorimport.h"
#include "project/projectdocument.h"
#include "project/projectfile.h"
#include "project/projectmodel.h"
#include "project/roomexport.h"
#include "project/roomresults.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cmath>
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

    QCommandLineOption floor{
        QStringLiteral("floor"),
        QStringLiteral("С --export OUT.dxf: записать этаж F (его помещения с контурами и "
                       "громкоговорители) в координатах и единицах его плана; с "
                       "--import-plan: этаж, на который добавить помещения плана."),
        QStringLiteral("F")};
    QCommandLineOption importPlan{QStringLiteral("import-plan"),
                                  QStringLiteral("Добавить в файл объекта помещения из плана этажа PLAN.dxf "
                                                 "(файл объекта создается, если его нет) и выйти."),
                                  QStringLiteral("PLAN.dxf")};
    QCommandLineOption layer{QStringLiteral("layer"),
                             QStringLiteral("С --import-plan: слой контуров помещений (по умолчанию слой, на "
                                            "котором больше всего замкнутых контуров)."),
                             QStringLiteral("NAME")};
    QCommandLineOption units{QStringLiteral("units"),
                             QStringLiteral("С --import-plan: единицы плана, если в файле они не указаны: mm "
                                            "(по умолчанию), cm или m."),
                             QStringLiteral("UNITS")};
    QCommandLineOption height{QStringLiteral("height"),
                              QStringLiteral("С --import-plan: высота потолка новых помещений, м (по "
                                             "умолчанию как у образца)."),
                              QStringLiteral("H")};

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
        parser.addOption(floor);
        parser.addOption(importPlan);
        parser.addOption(layer);
        parser.addOption(units);
        parser.addOption(height);
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

// The request of --import-plan: the floor and the project file named, the
// units and the height sound.
Request importPlanRequest(const Parser &p, Request request)
{
    for (const QCommandLineOption *option : {&p.exportTo, &p.room, &p.view}) {
        if (p.parser.isSet(*option))
            return wrong(QStringLiteral("Параметр --%1 не используется вместе с --import-plan.")
                             .arg(option->names().front()));
    }
    request.kind = Request::Kind::ImportPlan;
    request.planFile = p.parser.value(p.importPlan);
    if (request.planFile.isEmpty())
        return wrong(QStringLiteral("У параметра --import-plan не указан файл плана."));
    if (!p.parser.isSet(p.floor) || p.parser.value(p.floor).trimmed().isEmpty())
        return wrong(QStringLiteral("Укажите этаж, на который добавить помещения плана: --floor F."));
    request.floor = p.parser.value(p.floor).trimmed();
    if (request.projectFile.isEmpty())
        return wrong(QStringLiteral("Укажите файл объекта, в который добавить помещения плана."));
    request.layer = p.parser.value(p.layer);
    request.units = p.parser.isSet(p.units) ? p.parser.value(p.units) : QStringLiteral("mm");
    if (!QStringList{QStringLiteral("mm"), QStringLiteral("cm"), QStringLiteral("m")}.contains(request.units))
        return wrong(QStringLiteral("Неизвестные единицы «%1»: укажите mm, cm или m.").arg(request.units));
    if (p.parser.isSet(p.height)) {
        request.height = p.parser.value(p.height).trimmed();
        QString dotted = request.height;
        dotted.replace(u',', u'.');
        bool ok = false;
        const double metres = dotted.toDouble(&ok);
        if (!ok || !std::isfinite(metres) || metres <= 0.0)
            return wrong(
                QStringLiteral("Высота «%1» не является положительным числом метров.").arg(request.height));
    }
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
        if (arguments.endsWith(QStringLiteral("--floor")))
            return wrong(QStringLiteral("У параметра --floor не указан этаж."));
        if (arguments.endsWith(QStringLiteral("--import-plan")))
            return wrong(QStringLiteral("У параметра --import-plan не указан файл плана."));
        if (arguments.endsWith(QStringLiteral("--layer")))
            return wrong(QStringLiteral("У параметра --layer не указан слой."));
        if (arguments.endsWith(QStringLiteral("--units")))
            return wrong(QStringLiteral("У параметра --units не указаны единицы."));
        if (arguments.endsWith(QStringLiteral("--height")))
            return wrong(QStringLiteral("У параметра --height не указана высота."));
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
    if (p.parser.isSet(p.importPlan))
        return importPlanRequest(p, request);
    for (const QCommandLineOption *option : {&p.layer, &p.units, &p.height}) {
        if (p.parser.isSet(*option))
            return wrong(QStringLiteral("Параметр --%1 относится к импорту плана: укажите и --import-plan "
                                        "PLAN.dxf.")
                             .arg(option->names().front()));
    }
    if (p.parser.isSet(p.floor) && !p.parser.isSet(p.exportTo))
        return wrong(QStringLiteral("Параметр --floor записывает этаж: укажите и --export OUT.dxf."));
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
    if (p.parser.isSet(p.room) && p.parser.isSet(p.floor))
        return wrong(QStringLiteral("Укажите что-то одно: план помещения (--room N) или этаж (--floor F)."));
    if (p.parser.isSet(p.room))
        return roomPlanRequest(request, p.parser.value(p.room), p.parser.value(p.view));
    if (p.parser.isSet(p.floor)) {
        if (plan::formatOfPath(request.exportPath) != plan::PlanFormat::Dxf)
            return wrong(QStringLiteral("Этаж записывается в чертеж DXF: укажите файл .dxf."));
        request.floorPlan = true;
        request.floor = p.parser.value(p.floor);
        return request;
    }
    if (plan::formatOfPath(request.exportPath) == plan::PlanFormat::Dxf)
        return wrong(QStringLiteral("Чертеж DXF записывается для одного помещения или этажа: укажите "
                                    "параметр --room N или --floor F."));
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
    // The plan with the count it holds ("На плане").
    project::LevelFit fit;
    const study::RoomStudy plan = study::studyRoom(
        calculator.planRequest(room.inputs, room.layout, {room.count, read->targetShare}, fit));
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

int exportFloor(const Request &request, QTextStream &err)
{
    const RoomEvaluation calculator;
    std::optional<project::Project> read = readProject(calculator, request.projectFile, err);
    if (!read)
        return Failed;
    if (ontoProjectFile(request.exportPath, request.projectFile, err))
        return Failed;
    if (!project::floorsOf(*read).contains(request.floor)) {
        err << QStringLiteral("В объекте «%1» нет этажа «%2».").arg(request.projectFile, request.floor)
            << Qt::endl;
        return Failed;
    }
    // The drawing needs each room's plan, not the table's results.
    project::ProjectModel model;
    model.setProject(std::move(*read));
    const std::vector<project::FloorRoomSource> sources = project::floorRooms(model, {}, request.floor);
    if (sources.empty()) {
        err << QStringLiteral("На этаже «%1» нет помещений с контуром: чертить нечего.").arg(request.floor)
            << Qt::endl;
        return Failed;
    }
    project::FloorDrawing drawing;
    drawing.floor = request.floor;
    drawing.rooms = project::drawFloorRooms(sources, calculator);
    const files::WriteResult written = files::writeWhole(
        request.exportPath,
        project::floorDxf(drawing, project::floorUnitsPerMetre(model.project(), request.floor)));
    if (!written.ok) {
        err << written.error << Qt::endl;
        return Failed;
    }
    return Done;
}

int importPlan(const Request &request, QTextStream &out, QTextStream &err)
{
    const RoomEvaluation calculator;
    // The project: the file's, or a new one where there is no file.
    project::Project start;
    const bool exists = QFileInfo::exists(request.projectFile);
    if (exists) {
        std::optional<project::Project> read = readProject(calculator, request.projectFile, err);
        if (!read)
            return Failed;
        start = std::move(*read);
    }
    if (files::sameFile(request.planFile, request.projectFile)) {
        err << QStringLiteral("Файл плана «%1» — это сам файл объекта.").arg(request.planFile) << Qt::endl;
        return Failed;
    }
    project::PlanReadOptions options;
    options.layer = request.layer;
    options.unitWhenUnnamed = project::unitFromKey(request.units).value_or(project::PlanUnit::Millimetre);
    const project::PlanReading reading = project::readFloorPlan(request.planFile, options);
    if (!reading.plan) {
        err << reading.refusal << Qt::endl;
        return Failed;
    }
    const project::FloorPlanFile &plan = *reading.plan;
    if (plan.rooms.empty()) {
        err << QStringLiteral("На слое «%1» нет помещений. %2").arg(plan.layer, project::planReport(plan))
            << Qt::endl;
        return Failed;
    }

    // The template: the file's last room, else the main window's start-up
    // inputs.
    project::RoomTemplate roomTemplate;
    if (!start.rooms.empty()) {
        roomTemplate.inputs = start.rooms.back().inputs;
        roomTemplate.inputs.outline.clear();
        roomTemplate.layout = start.rooms.back().layout;
    } else {
        roomTemplate.inputs = startupRoomInputs();
        roomTemplate.layout = calculator.defaultLayout(roomTemplate.inputs.mounting);
    }
    if (!request.height.isEmpty())
        roomTemplate.inputs.height = request.height;

    project::ProjectModel model;
    model.setProject(std::move(start));
    std::vector<project::ImportedRoom> rooms;
    rooms.reserve(plan.rooms.size());
    for (const project::PlanRoom &room : plan.rooms)
        rooms.push_back({room.outline, room.name});
    const QString projectPath = QFileInfo(request.projectFile).absoluteFilePath();
    const project::FloorPlan floorPlan{request.floor, project::storedPlanPath(request.planFile, projectPath),
                                       project::unitKey(plan.unit), plan.layer};
    const project::FloorImport import
        = project::planFloorImport(model, rooms, roomTemplate, floorPlan, calculator.roomTypes());
    // Without a user to ask, the rooms the new plan lacks stay.
    project::applyFloorImport(model, import, false);
    if (model.project().name.isEmpty())
        model.setName(QFileInfo(request.projectFile).completeBaseName());

    project::RoomResultsService results(model, calculator, calc::localeDecimalPoint());
    // The file keeps the calculation's figures, not the level map's.
    results.setBackgroundLevels(false);
    const files::WriteResult written = files::writeWhole(request.projectFile, results.fileBytes());
    if (!written.ok) {
        err << written.error << Qt::endl;
        return Failed;
    }
    out << project::planReport(plan) << Qt::endl;
    if (!import.unmatched.empty())
        out << QStringLiteral("Нет на новом плане и оставлены в объекте: %1.")
                   .arg(project::unmatchedNames(model, import).join(QStringLiteral(", ")))
            << Qt::endl;
    return Done;
}

} // namespace commandline
