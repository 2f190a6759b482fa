#include "roomexport.h"

#include "documentwriters.h"
#include "projectdocument.h"
#include "roomtable.h"

#include "calc/textrules.h"
#include "widgets/backgroundjobs.h"
#include "widgets/exportformat.h"

#include <QDate>
#include <QDir>
#include <algorithm>
#include <vector>

namespace project {

namespace {

enum class Format { Csv, Xlsx, Pdf };

const exportfile::FormatTable &formats()
{
    static const exportfile::FormatTable table{
        {int(Format::Csv), QStringLiteral("csv"), QStringLiteral("Таблица CSV (*.csv)")},
        {int(Format::Xlsx), QStringLiteral("xlsx"), QStringLiteral("Книга Excel (*.xlsx)")},
        {int(Format::Pdf), QStringLiteral("pdf"), QStringLiteral("Документ PDF (*.pdf)")},
    };
    return table;
}

Document documentOf(RoomResultsService &results, const QString &name)
{
    return projectDocument(results, name, QDate::currentDate());
}

DocumentBytes bytesOf(Format format, RoomResultsService &results, const QString &name)
{
    switch (format) {
    case Format::Csv: return DocumentBytes{true, csvBytes(results), QString()};
    case Format::Xlsx: return xlsxBytes(documentOf(results, name));
    case Format::Pdf: break;
    }
    return pdfBytes(documentOf(results, name), results.decimalPoint());
}

// Whether the CSV writes a cell as it is rather than guarded against a
// spreadsheet running it as a formula (exportfile::formulaGuarded): a
// column of figures keeps its numbers as they are, "-3,5" in either
// notation being a number and no formula; any other text in it (a length
// typed as "=1+2" in a room that was not computed) is guarded as in a
// column of texts.
bool keptAsIs(const QString &text, bool figures)
{
    return figures && (calc::isLocaleNumber(text, u'.') || calc::isLocaleNumber(text, u','));
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

} // namespace

QByteArray csvBytes(RoomResultsService &results)
{
    results.completeLevels();
    exportfile::CsvWriter csv;
    const std::vector<RoomColumn> &columns = roomColumns();
    for (const RoomColumn &column : columns)
        csv.field(column.caption);
    csv.endLine();
    const QString tapCaption = QStringLiteral("Отвод");
    // The rows' texts on every core, in pieces of consecutive rows joined
    // in order: a building of thousands of rooms spends tens of
    // milliseconds on them.
    constexpr int PieceRows = 256;
    const int rows = results.model().roomCount();
    std::vector<exportfile::CsvWriter> pieces(std::size_t((rows + PieceRows - 1) / PieceRows),
                                              exportfile::CsvWriter(false));
    inParallel(pieces.size(), 0, [&](std::size_t piece) {
        exportfile::CsvWriter &lines = pieces[piece];
        const int end = std::min(rows, int(piece + 1) * PieceRows);
        for (int row = int(piece) * PieceRows; row < end; ++row) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const QString text = roomCellText(results, row, int(c));
                if (columns[c].caption == tapCaption)
                    lines.text(csvTap(text));
                else if (keptAsIs(text, columns[c].number != nullptr))
                    lines.field(text);
                else
                    lines.text(text);
            }
            lines.endLine();
        }
    });
    for (const exportfile::CsvWriter &lines : pieces)
        csv.append(lines);
    return csv.bytes();
}

bool canExport(const QString &path)
{
    return formats().ofPath(path) != nullptr;
}

bool exportPaints(const QString &path)
{
    const exportfile::FileFormat *format = formats().ofPath(path);
    return format && Format(format->kind) == Format::Pdf;
}

QString exportSuffixes()
{
    return formats().suffixList();
}

QStringList exportFilters()
{
    return formats().filters();
}

QString suffixOfFilter(const QString &filter)
{
    return formats().suffixOfFilter(filter);
}

QString ownFileRefusal(const QString &path)
{
    return QStringLiteral("Файл «%1» — это сам файл объекта; выберите другое имя.")
        .arg(QDir::toNativeSeparators(path));
}

files::WriteResult exportProject(const QString &path, RoomResultsService &results, const QString &name,
                                 const LevelProgress &progress)
{
    const exportfile::FileFormat *format = formats().ofPath(path);
    if (!format)
        return files::failure(path, QStringLiteral("неизвестный формат файла"));
    results.completeLevels(progress);
    return writeDocumentFile(path, bytesOf(Format(format->kind), results, name));
}

} // namespace project
