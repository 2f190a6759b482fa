#include "roomexport.h"

#include "documentwriters.h"
#include "projectdocument.h"
#include "roomtable.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <functional>
#include <vector>

namespace project {

namespace {

struct ExportFormat {
    QString suffix; // without the dot, lower case
    QString filter;
    std::function<DocumentBytes(RoomTable &, const QString &name)> bytes;
    bool paints = false;
};

Document documentOf(RoomTable &table, const QString &name)
{
    return projectDocument(table, name, QDate::currentDate());
}

const std::vector<ExportFormat> &formats()
{
    static const std::vector<ExportFormat> list{
        {QStringLiteral("csv"), QStringLiteral("Таблица CSV (*.csv)"),
         [](RoomTable &table, const QString &) {
             return DocumentBytes{true, csvBytes(table), QString()};
         }},
        {QStringLiteral("xlsx"), QStringLiteral("Книга Excel (*.xlsx)"),
         [](RoomTable &table, const QString &name) { return xlsxBytes(documentOf(table, name)); }},
        {QStringLiteral("pdf"), QStringLiteral("Документ PDF (*.pdf)"),
         [](RoomTable &table, const QString &name) {
             return pdfBytes(documentOf(table, name), table.decimalPoint());
         },
         true},
    };
    return list;
}

const ExportFormat *formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const ExportFormat &format : formats()) {
        if (format.suffix == suffix)
            return &format;
    }
    return nullptr;
}

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(';') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace("\"", "\"\"") + '"';
    return field;
}

} // namespace

QByteArray csvBytes(RoomTable &table)
{
    table.completeLevels();
    QByteArray out("\xEF\xBB\xBF");
    const std::vector<RoomColumn> &columns = roomColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0)
            out += ';';
        out += csvField(columns[c].caption);
    }
    out += "\r\n";
    for (int row = 0; row < table.roomCount(); ++row) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                out += ';';
            out += csvField(table.cellText(row, int(c)));
        }
        out += "\r\n";
    }
    return out;
}

bool canExport(const QString &path)
{
    return formatOf(path) != nullptr;
}

bool exportPaints(const QString &path)
{
    const ExportFormat *format = formatOf(path);
    return format && format->paints;
}

QString exportSuffixes()
{
    QStringList suffixes;
    for (const ExportFormat &format : formats())
        suffixes << u'.' + format.suffix;
    const QString last = suffixes.takeLast();
    return suffixes.isEmpty() ? last : suffixes.join(QStringLiteral(", ")) + QStringLiteral(" или ") + last;
}

QStringList exportFilters()
{
    QStringList filters;
    for (const ExportFormat &format : formats())
        filters << format.filter;
    return filters;
}

QString suffixOfFilter(const QString &filter)
{
    for (const ExportFormat &format : formats()) {
        if (format.filter == filter)
            return format.suffix;
    }
    return formats().front().suffix;
}

QString ownFileRefusal(const QString &path)
{
    return QStringLiteral("Файл «%1» — это сам файл объекта; выберите другое имя.")
        .arg(QDir::toNativeSeparators(path));
}

files::WriteResult exportProject(const QString &path, RoomTable &table, const QString &name,
                                 const LevelProgress &progress)
{
    const ExportFormat *format = formatOf(path);
    if (!format)
        return files::failure(path, QStringLiteral("неизвестный формат файла"));
    table.completeLevels(progress);
    return writeDocumentFile(path, format->bytes(table, name));
}

} // namespace project
