#pragma once

#include <QByteArray>
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <vector>

class QPagedPaintDevice;

// What every exported file of the program shares: the documents' font,
// the two page layouts (the plan's page and the project's documents), the
// PDF writer's set-up, the CSV writer and the table of file formats by
// their suffix with the file dialogs' filters. The plan window and the
// project window write their files through here, so that the same kind of
// file comes out the same from either.
namespace exportfile {

// The font of the printed pages and drawings: the application's family at
// points, bold or not.
QFont documentFont(double points, bool bold = false);

// The margins of the plan's page (the plan window's PDF and printout) and
// of the project's documents, millimetres.
inline constexpr double PlanMarginMm = 12.0;
inline constexpr double DocumentMarginMm = 15.0;

// A4 landscape with marginMm on every side.
QPageLayout a4Landscape(double marginMm = 0.0);

// The plan's page on a device laid out as device (a printer, the PDF
// writer): the device's paper and orientation, and PlanMarginMm on every
// side, or the device's minimum margin where that is larger, so that
// nothing falls outside what a printer can print.
QPageLayout planPageLayout(const QPageLayout &device);

// The documents' page: A4 landscape with DocumentMarginMm on every side.
// Set it on a printer before its dialog, so that printing gives the same
// pages as the PDF.
QPageLayout documentPageLayout();

// The resolution of the PDF files, dots per inch.
inline constexpr int PdfDpi = 300;

// The creator every PDF names.
QString pdfCreator();

// A PDF built in memory: pages laid out as layout at PdfDpi, with title as
// its title and pdfCreator() as its creator, painted by paint. False, with
// bytes left empty, when paint returns false.
bool pdfBytes(const QPageLayout &layout, const QString &title,
              const std::function<bool(QPagedPaintDevice &)> &paint, QByteArray &bytes);

// Whether a spreadsheet opening a CSV may run the text as a formula: it
// starts with "=", "+", "-" or "@", or with a tab or a carriage return that
// some spreadsheets skip before they look for one.
bool startsLikeFormula(const QString &text);

// The text with a leading apostrophe where it starts like a formula, the
// guard spreadsheet exporters use: the spreadsheet then reads it as the
// text it is (the apostrophe shows). Any other text as it is.
QString formulaGuarded(const QString &text);

// One field as the CSV writes it, in UTF-8: a field with ";", a quote or a
// line break in quotes, its quotes doubled; any other as it is.
QByteArray csvField(const QString &text);

// A CSV file as spreadsheets in Russian settings open it: UTF-8 with a
// byte-order mark, ";" between the fields, CR LF after each line.
class CsvWriter {
public:
    // withByteOrderMark: the file's start, UTF-8's byte order mark, which
    // a piece of lines to be appended to another writer has not.
    explicit CsvWriter(bool withByteOrderMark = true);

    // The next field of the line, as it is (quoted where it needs it):
    // captions and numbers.
    CsvWriter &field(const QString &text);
    // The next field of the line, a text that no spreadsheet may run as a
    // formula (formulaGuarded).
    CsvWriter &text(const QString &text);
    // Ends the line.
    void endLine();

    // A whole line of fields as they are.
    void line(std::initializer_list<QString> fields);
    // The lines of lines (a writer without the mark) after those here.
    void append(const CsvWriter &lines);

    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    bool m_lineStarted = false;
};

// The suffix a file dialog's filter names: "pdf" for "Документ PDF
// (*.pdf)"; empty when it names none.
QString suffixOfFilter(const QString &filter);

// A kind of file a window writes: its suffix and its filter in the file
// dialog; kind is the writer's own number for it (an enum's value).
struct FileFormat {
    int kind = 0;
    QString suffix; // without the dot, lower case
    QString filter; // "Документ PDF (*.pdf)"
};

// The formats a window writes, in the order the file dialog offers them,
// the first the default.
class FormatTable {
public:
    FormatTable(std::initializer_list<FileFormat> formats);

    // The format a path's suffix names (letter case ignored), or nullptr.
    const FileFormat *ofPath(const QString &path) const;
    // The format of a filter, or nullptr when the filter is not one of them.
    const FileFormat *ofFilter(const QString &filter) const;

    // The file dialog's filters, in order.
    QStringList filters() const;
    // The suffix a filter adds to a name without one: the first format's
    // when the filter is not one of them.
    QString suffixOfFilter(const QString &filter) const;
    // The suffixes, each with its dot, as a sentence lists them: ".csv,
    // .xlsx или .pdf".
    QString suffixList() const;

    const std::vector<FileFormat> &formats() const { return m_formats; }

private:
    std::vector<FileFormat> m_formats;
};

} // namespace exportfile
