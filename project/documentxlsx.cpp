// The workbook through libxlsxwriter (loaded on first use, xlsxlibrary.h),
// which writes a valid Office Open XML package with the styles, the frozen
// header row and the number formats that Excel and LibreOffice read. It
// writes to a file, so the workbook is made in a temporary folder and read
// back as bytes.
#include "documentwriters.h"
#include "xlsxlibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <locale.h>
#include <numeric>

namespace project {

namespace {

// libxlsxwriter writes numbers with printf's "%.16G", which uses the
// decimal separator of the C library's locale; Qt sets that locale from the
// desktop's, so on a Russian desktop "0,75" would be written, which no
// spreadsheet reads as a number. While it exists, this thread uses the "C"
// locale, whose separator is the file format's ".".
class CLocaleOnThisThread {
public:
    CLocaleOnThisThread() : m_c(newlocale(LC_ALL_MASK, "C", locale_t(nullptr)))
    {
        if (m_c)
            m_previous = uselocale(m_c);
    }
    ~CLocaleOnThisThread()
    {
        if (m_c) {
            uselocale(m_previous);
            freelocale(m_c);
        }
    }
    CLocaleOnThisThread(const CLocaleOnThisThread &) = delete;
    CLocaleOnThisThread &operator=(const CLocaleOnThisThread &) = delete;

private:
    locale_t m_c;
    locale_t m_previous = locale_t(nullptr);
};

// Excel's limits: a sheet's name, a column's width in characters, a cell's text.
constexpr qsizetype SheetNameLength = LXW_SHEETNAME_MAX;
constexpr double WidestColumn = 255.0;
constexpr double NarrowestColumn = 4.0;
// Room on either side of the longest text of a column, in characters.
constexpr double ColumnPadding = 2.0;

DocumentBytes failed(const QString &reason)
{
    return {false, QByteArray(), reason};
}

// The characters a text shows on its longest line: one per code point, so
// that a Cyrillic letter counts once although it takes two bytes in UTF-8.
qsizetype shownLength(const QString &text)
{
    qsizetype longest = 0;
    qsizetype line = 0;
    for (const QChar c : text) {
        if (c == u'\n') {
            line = 0;
        } else if (!c.isLowSurrogate()) {
            longest = std::max(longest, ++line);
        }
    }
    return longest;
}

// The sheet's name from a table's title: Excel's forbidden characters
// replaced, no apostrophe at either end, at most 31 characters, "Лист N"
// for a blank title, and unique in the workbook, letter case ignored.
QString sheetName(const QString &title, int index, const QStringList &taken)
{
    QString name = title.simplified();
    for (QChar &c : name) {
        if (QStringView(u"[]:*?/\\").contains(c))
            c = u'_';
    }
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Лист %1").arg(index + 1);
    const auto truncated = [](QString text, qsizetype length) {
        if (text.size() > length) {
            text.truncate(length);
            if (text.back().isHighSurrogate())
                text.chop(1);
        }
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    };
    QString unique = truncated(name, SheetNameLength);
    for (int n = 2; taken.contains(unique, Qt::CaseInsensitive); ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        unique = truncated(name, SheetNameLength - suffix.size()) + suffix;
    }
    return unique;
}

QString errorReason(lxw_error error, const QString &sheet)
{
    switch (error) {
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("на листе «%1» текст ячейки длиннее 32 767 знаков").arg(sheet);
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("таблица «%1» не умещается на лист Excel").arg(sheet);
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("не хватило памяти");
    default: return QStringLiteral("не удалось построить таблицу (ошибка %1)").arg(int(error));
    }
}

// The formats the cells use: the bold header, and one number format per
// count of decimals, made when first needed.
class Formats {
public:
    Formats(const XlsxLibrary &lxw, lxw_workbook *workbook) : m_lxw(lxw), m_workbook(workbook)
    {
        m_header = lxw.workbook_add_format(workbook);
        lxw.format_set_bold(m_header);
        lxw.format_set_bottom(m_header, LXW_BORDER_THIN);
    }

    lxw_format *header() const { return m_header; }

    lxw_format *number(int decimals)
    {
        lxw_format *&format = m_numbers[std::size_t(decimals)];
        if (!format) {
            format = m_lxw.workbook_add_format(m_workbook);
            QByteArray code("0");
            if (decimals > 0)
                code += '.' + QByteArray(decimals, '0');
            m_lxw.format_set_num_format(format, code.constData());
        }
        return format;
    }

private:
    const XlsxLibrary &m_lxw;
    lxw_workbook *m_workbook;
    lxw_format *m_header = nullptr;
    std::array<lxw_format *, MaxDecimals + 1> m_numbers{};
};

// One table on its sheet: the header row, the cells, the column widths.
lxw_error writeSheet(const XlsxLibrary &lxw, lxw_worksheet *sheet, const DocumentTable &table,
                     Formats &formats)
{
    const qsizetype columns
        = std::max<qsizetype>(table.captions.size(),
                              std::accumulate(table.rows.cbegin(), table.rows.cend(), qsizetype(0),
                                              [](qsizetype widest, const DocumentRow &row) {
                                                  return std::max(widest, qsizetype(row.size()));
                                              }));
    if (columns > LXW_COL_MAX || qsizetype(table.rows.size()) >= LXW_ROW_MAX)
        return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
    std::vector<qsizetype> widths(std::size_t(columns), 0);

    for (qsizetype c = 0; c < table.captions.size(); ++c) {
        const QString &caption = table.captions[c];
        widths[std::size_t(c)] = shownLength(caption);
        if (caption.isEmpty())
            continue;
        const lxw_error error = lxw.worksheet_write_string(sheet, 0, lxw_col_t(c),
                                                           caption.toUtf8().constData(), formats.header());
        if (error != LXW_NO_ERROR)
            return error;
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const DocumentRow &row = table.rows[r];
        const auto sheetRow = lxw_row_t(r + 1);
        for (std::size_t c = 0; c < row.size(); ++c) {
            const DocumentCell &cell = row[c];
            // A number's width is that of the text the program shows; the
            // decimal point is one character whichever it is.
            const QString shown = cellText(cell, u'.');
            widths[c] = std::max(widths[c], shownLength(shown));
            lxw_error error = LXW_NO_ERROR;
            if (isShownAsNumber(cell)) {
                error = lxw.worksheet_write_number(sheet, sheetRow, lxw_col_t(c), cell.number,
                                                   formats.number(shownDecimals(cell)));
            } else if (!shown.isEmpty()) {
                error = lxw.worksheet_write_string(sheet, sheetRow, lxw_col_t(c), shown.toUtf8().constData(),
                                                   nullptr);
            }
            if (error != LXW_NO_ERROR)
                return error;
        }
    }

    for (std::size_t c = 0; c < widths.size(); ++c) {
        const double width = std::clamp(double(widths[c]) + ColumnPadding, NarrowestColumn, WidestColumn);
        const lxw_error error = lxw.worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr);
        if (error != LXW_NO_ERROR)
            return error;
    }
    lxw.worksheet_freeze_panes(sheet, 1, 0);
    return LXW_NO_ERROR;
}

} // namespace

DocumentBytes xlsxBytes(const Document &document)
{
    const QTemporaryDir folder;
    if (!folder.isValid())
        return failed(QStringLiteral("не удалось создать временную папку: %1").arg(folder.errorString()));
    const QString path = folder.filePath(QStringLiteral("document.xlsx"));
    const QByteArray encodedPath = QFile::encodeName(path);
    QByteArray encodedFolder = QFile::encodeName(folder.path());
    QString unloaded;
    const XlsxLibrary *library = xlsxLibrary(unloaded);
    if (!library)
        return failed(unloaded);
    const XlsxLibrary &lxw = *library;
    const CLocaleOnThisThread cLocale;
    lxw_workbook_options options{};
    options.tmpdir = encodedFolder.data();
    lxw_workbook *workbook = lxw.workbook_new_opt(encodedPath.constData(), &options);
    if (!workbook)
        return failed(QStringLiteral("не хватило памяти"));

    QByteArray title = document.title.toUtf8();
    QByteArray comments = document.date.toUtf8();
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.comments = comments.data();
    lxw.workbook_set_properties(workbook, &properties);

    Formats formats(lxw, workbook);
    QString reason;
    QStringList names;
    for (std::size_t t = 0; t < document.tables.size() && reason.isEmpty(); ++t) {
        const DocumentTable &table = document.tables[t];
        const QString name = sheetName(table.title, int(t), names);
        names << name;
        lxw_worksheet *sheet = lxw.workbook_add_worksheet(workbook, name.toUtf8().constData());
        const lxw_error error
            = sheet ? writeSheet(lxw, sheet, table, formats) : LXW_ERROR_PARAMETER_VALIDATION;
        if (error != LXW_NO_ERROR)
            reason = errorReason(error, name);
    }
    if (document.tables.empty())
        lxw.workbook_add_worksheet(workbook, nullptr);
    // Closing writes the package and frees the workbook, also after a
    // failure, when the file is left in the temporary folder.
    const lxw_error closed = lxw.workbook_close(workbook);
    if (!reason.isEmpty())
        return failed(reason);
    if (closed != LXW_NO_ERROR)
        return failed(errorReason(closed, QString()));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("не удалось прочитать построенную таблицу: %1").arg(file.errorString()));
    return {true, file.readAll(), QString()};
}

} // namespace project
