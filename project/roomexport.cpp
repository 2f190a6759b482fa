#include "roomexport.h"

#include "documentwriters.h"
#include "projectdocument.h"
#include "roomtable.h"

#include "calc/textrules.h"

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
    std::function<DocumentBytes(RoomResultsService &, const QString &name)> bytes;
    bool paints = false;
};

Document documentOf(RoomResultsService &results, const QString &name)
{
    return projectDocument(results, name, QDate::currentDate());
}

const std::vector<ExportFormat> &formats()
{
    static const std::vector<ExportFormat> list{
        {QStringLiteral("csv"), QStringLiteral("Таблица CSV (*.csv)"),
         [](RoomResultsService &results, const QString &) {
             return DocumentBytes{true, csvBytes(results), QString()};
         }},
        {QStringLiteral("xlsx"), QStringLiteral("Книга Excel (*.xlsx)"),
         [](RoomResultsService &results, const QString &name) {
             return xlsxBytes(documentOf(results, name));
         }},
        {QStringLiteral("pdf"), QStringLiteral("Документ PDF (*.pdf)"),
         [](RoomResultsService &results, const QString &name) {
             return pdfBytes(documentOf(results, name), results.decimalPoint());
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

// Whether a spreadsheet opening the CSV may run the text as a formula: it
// starts with "=", "+", "-" or "@", or with a tab or a carriage return that
// some spreadsheets skip before they look for one.
bool startsLikeFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t'
        || first == u'\r';
}

// The text of a cell as the CSV writes it, so that no spreadsheet runs it as
// a formula: such a text gets a leading apostrophe, the guard spreadsheet
// exporters use, and is then read as the text it is (the apostrophe shows).
// A column of figures keeps its numbers as they are, "-3,5" in either
// notation being a number and no formula; any other text in it (a length
// typed as "=1+2" in a room that was not computed) is guarded as in a
// column of texts.
QString guardedText(const QString &text, bool figures)
{
    if (!startsLikeFormula(text))
        return text;
    if (figures && (calc::isLocaleNumber(text, u'.') || calc::isLocaleNumber(text, u',')))
        return text;
    return u'\'' + text;
}

// The tap as the CSV writes it: "1/2" with the fraction slash U+2044, "1⁄2".
// A spreadsheet that detects dates when it opens a CSV takes "1/2" for the
// 1st of February or the 2nd of January; with the fraction slash it is a
// text in every spreadsheet, reads as the same fraction and needs no
// apostrophe, which would show in the cell. A tool that reads the CSV
// itself sees one character other than the table's "/"; the workbook keeps
// the table's "1/2" as its cells are texts already.
QString csvTap(const QString &text)
{
    return QString(text).replace(u'/', u'\u2044');
}

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(';') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace("\"", "\"\"") + '"';
    return field;
}

} // namespace

QByteArray csvBytes(RoomResultsService &results)
{
    results.completeLevels();
    QByteArray out("\xEF\xBB\xBF");
    const std::vector<RoomColumn> &columns = roomColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0)
            out += ';';
        out += csvField(columns[c].caption);
    }
    out += "\r\n";
    const QString tapCaption = QStringLiteral("Отвод");
    for (int row = 0; row < results.model().roomCount(); ++row) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                out += ';';
            const QString text = roomCellText(results, row, int(c));
            out += csvField(columns[c].caption == tapCaption
                                ? guardedText(csvTap(text), false)
                                : guardedText(text, columns[c].number != nullptr));
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

files::WriteResult exportProject(const QString &path, RoomResultsService &results, const QString &name,
                                 const LevelProgress &progress)
{
    const ExportFormat *format = formatOf(path);
    if (!format)
        return files::failure(path, QStringLiteral("неизвестный формат файла"));
    results.completeLevels(progress);
    return writeDocumentFile(path, format->bytes(results, name));
}

} // namespace project
