#include "commandline.h"

#include "app/roomevaluation.h"
#include "calc/numberformat.h"
#include "project/projectdocument.h"
#include "project/projectfile.h"
#include "project/roomexport.h"
#include "project/roomtable.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

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
                                               "линии, спецификация) в .xlsx или .pdf."),
                                QStringLiteral("OUT")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Расчет громкоговорителей системы оповещения: звуковое давление, дальность, "
            "озвучиваемая площадь и количество громкоговорителей; объект из многих помещений."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(exportTo);
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
    if (!p.parser.isSet(p.exportTo))
        return request;

    request.kind = Request::Kind::Export;
    request.exportPath = p.parser.value(p.exportTo);
    if (request.exportPath.isEmpty())
        return wrong(QStringLiteral("У параметра --export не указан файл, в который записать таблицу."));
    if (request.projectFile.isEmpty())
        return wrong(QStringLiteral("Укажите файл объекта, таблицу которого записать."));
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
    return request.kind == Request::Kind::Export && project::exportPaints(request.exportPath);
}

int exportTable(const QString &out, const QString &projectFile, QTextStream &err)
{
    const RoomEvaluation calculator;
    project::ReadResult read = project::readProjectFile(
        projectFile, [&calculator](calc::Mounting mounting, const QString &layout) {
            return calculator.layoutAllowed(mounting, layout);
        });
    if (!read.project) {
        err << project::notOpenedMessage(projectFile, read.reason) << Qt::endl;
        return Failed;
    }
    project::RoomTable table(calculator, calc::localeDecimalPoint());
    table.setProject(std::move(*read.project));
    const files::WriteResult written
        = project::exportProject(out, table, project::projectDisplayName(table.project().name, projectFile));
    if (!written.ok) {
        err << written.error << Qt::endl;
        return Failed;
    }
    return Done;
}

} // namespace commandline
